#!/usr/bin/env bash
# Static analysis of src/ with cppcheck: the checks for likely bugs
# (warning), needless copies and slow idioms (performance) and code whose
# meaning differs between platforms (portability); style is left to review.
# Any finding fails. A finding that is wrong is suppressed with its reason in
# scripts/cppcheck-suppressions.txt, or where it stands with a
# `// cppcheck-suppress ID` comment.
#
#   bash scripts/static-analysis.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --static-analysis

cppcheck --std=c++20 --language=c++ --library=qt -I src \
  --enable=warning,performance,portability --inline-suppr \
  --suppressions-list=scripts/cppcheck-suppressions.txt \
  --error-exitcode=1 --quiet -j"$(nproc)" \
  --template='{file}:{line}: {severity}: {message} [{id}]' \
  src
echo "static-analysis: cppcheck $(cppcheck --version | cut -d' ' -f2) found nothing in src/"
