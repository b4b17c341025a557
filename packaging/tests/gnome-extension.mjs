// Loads both forms of the GNOME Shell focus extension (the built extension.js
// of GNOME 42-44 and of GNOME 45 and later) against a stand-in for the shell,
// and checks what a user's shell would do with them: the file loads, enabling
// exports the focus object and takes the bus name, a change of focus sends
// (application id without ".desktop", WM_CLASS), Current() answers the same,
// and disabling gives back everything it took.
//
//   node gnome-extension.mjs LEGACY/extension.js MODULE/extension.js
import assert from 'node:assert/strict';
import {mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {pathToFileURL} from 'node:url';

// The shell's side, recording what the extension does with it.
function makeShell(window) {
    const calls = [];
    const shell = {calls, window, onFocus: null, exported: null};
    shell.Gio = {
        DBusExportedObject: {
            wrapJSObject: (xml, target) => {
                assert.match(xml, /<method name="Current">/);
                shell.exported = target;
                return {
                    export: (bus, path) => calls.push(['export', path]),
                    unexport: () => calls.push(['unexport']),
                    emit_signal: (name, variant) => calls.push(['signal', name, variant.type, variant.value]),
                };
            },
        },
        DBus: {session: {}},
        BusType: {SESSION: 2},
        BusNameOwnerFlags: {NONE: 0},
        bus_own_name: (type, name) => {
            calls.push(['own', name]);
            return 41;
        },
        bus_unown_name: id => calls.push(['unown', id]),
    };
    shell.GLib = {
        Variant: class {
            constructor(type, value) {
                this.type = type;
                this.value = value;
            }
        },
    };
    shell.Shell = {
        WindowTracker: {
            get_default: () => ({
                get_window_app: w => (w.appId === undefined ? null : {get_id: () => w.appId}),
            }),
        },
    };
    shell.global = {
        display: {
            get focus_window() {
                return shell.window;
            },
            connect: (signal, callback) => {
                assert.equal(signal, 'notify::focus-window');
                shell.onFocus = callback;
                return 7;
            },
            disconnect: id => calls.push(['disconnect', id]),
        },
    };
    return shell;
}

function window(appId, wmClass, gtkId = null) {
    return {appId, get_wm_class: () => wmClass, get_gtk_application_id: () => gtkId};
}

// Enables the extension, changes the focus twice and disables it.
function exercise(name, extension, shell) {
    extension.enable();
    assert.deepEqual(shell.calls.splice(0), [['export', '/org/example/kelvadeck/FocusWatch'],
        ['own', 'org.example.kelvadeck.FocusWatch']], name);
    assert.deepEqual(shell.exported.Current(), ['org.kde.krita', 'krita'], name);

    shell.window = window(undefined, 'Gimp', 'org.gimp.GIMP');
    shell.onFocus();
    shell.window = null;
    shell.onFocus();
    assert.deepEqual(shell.calls.splice(0), [['signal', 'FocusChanged', '(ss)', ['org.gimp.GIMP', 'Gimp']],
        ['signal', 'FocusChanged', '(ss)', ['', '']]], name);
    assert.deepEqual(shell.exported.Current(), ['', ''], name);

    extension.disable();
    assert.deepEqual(shell.calls.splice(0), [['disconnect', 7], ['unown', 41], ['unexport']], name);
}

const [legacyPath, modulePath] = process.argv.slice(2);

// GNOME 42-44: a script run with `imports` and `global` in scope; init() gives
// the extension.
{
    const shell = makeShell(window('org.kde.krita.desktop', 'krita'));
    const imports = {gi: {Gio: shell.Gio, GLib: shell.GLib, Shell: shell.Shell}};
    const init = new Function('imports', 'global', `${readFileSync(legacyPath, 'utf8')}\nreturn init;`)(imports, shell.global);
    exercise('GNOME 42-44', init({uuid: 'kelvadeck-focus@kelvadeck.example.org'}), shell);
}

// GNOME 45 and later: an ES module whose default export is the extension
// class. Its imports are pointed at the stand-in, the module itself is loaded
// as it stands.
{
    const shell = makeShell(window('org.kde.krita.desktop', 'krita'));
    globalThis.__shell = shell;
    globalThis.global = shell.global;
    const stand = body => `data:text/javascript,${encodeURIComponent(body)}`;
    const specifiers = {
        'gi://Gio': stand('export default globalThis.__shell.Gio;'),
        'gi://GLib': stand('export default globalThis.__shell.GLib;'),
        'gi://Shell': stand('export default globalThis.__shell.Shell;'),
        'resource:///org/gnome/shell/extensions/extension.js':
            stand('export class Extension { constructor(metadata) { this.metadata = metadata; } }'),
    };
    let text = readFileSync(modulePath, 'utf8');
    for (const [from, to] of Object.entries(specifiers)) {
        assert.ok(text.includes(`'${from}'`), `the module imports ${from}`);
        text = text.replaceAll(`'${from}'`, `'${to}'`);
    }
    const dir = mkdtempSync(join(tmpdir(), 'kelvadeck-extension-'));
    try {
        const file = join(dir, 'extension.mjs');
        writeFileSync(file, text);
        const module = await import(pathToFileURL(file).href);
        assert.equal(typeof module.default, 'function', 'the module exports its extension class by default');
        exercise('GNOME 45', new module.default({uuid: 'kelvadeck-focus-45@kelvadeck.example.org'}), shell);
    } finally {
        rmSync(dir, {recursive: true, force: true});
    }
}
console.log('gnome-extension: both forms load, follow the focus and clean up');
