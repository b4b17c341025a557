# Run by CPack on the staged files before it makes the package: strips the
# programs as Debian's dh_strip does, symbols and the compiler's .comment and
# .note sections (lintian: binary-has-unneeded-section).
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
if(NOT programs)
  message(FATAL_ERROR "cpack-strip: no programs in ${CPACK_TEMPORARY_DIRECTORY}/usr/bin")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND ${CPACK_KELVADECK_STRIP} --remove-section=.comment --remove-section=.note ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
