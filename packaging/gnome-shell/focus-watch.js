// The heart of the Kelvadeck focus extension, the same in both of its forms
// (GNOME Shell 42-44, and the ES modules of 45 and later): each form's
// extension.js.in puts its own imports of Gio, GLib and Shell before it and
// its own entry point after it.
//
// GNOME Shell tells other programs nothing of the focus on Wayland. The
// extension owns org.example.kelvadeck.FocusWatch on the session bus and says
// which application has the focus: its id (the .desktop name) and its
// WM_CLASS. Titles are left out: any program of the session may listen.
const BUS_NAME = 'org.example.kelvadeck.FocusWatch';
const OBJECT_PATH = '/org/example/kelvadeck/FocusWatch';
const INTERFACE = `
<node>
  <interface name="org.example.kelvadeck.FocusWatch">
    <method name="Current">
      <arg type="s" direction="out" name="appId"/>
      <arg type="s" direction="out" name="wmClass"/>
    </method>
    <signal name="FocusChanged">
      <arg type="s" name="appId"/>
      <arg type="s" name="wmClass"/>
    </signal>
  </interface>
</node>`;

// (application id without ".desktop", WM_CLASS) of the focused window.
function describeFocus() {
    const window = global.display.focus_window;
    if (!window)
        return ['', ''];
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    let id = app && app.get_id() ? app.get_id() : (window.get_gtk_application_id() || '');
    id = id.replace(/\.desktop$/, '');
    return [id, window.get_wm_class() || ''];
}

// The object on the bus, for as long as the extension is enabled.
class FocusWatch {
    constructor() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
        this._object.export(Gio.DBus.session, OBJECT_PATH);
        this._owner = Gio.bus_own_name(Gio.BusType.SESSION, BUS_NAME, Gio.BusNameOwnerFlags.NONE, null, null, null);
        this._focus = global.display.connect('notify::focus-window', () => {
            this._object.emit_signal('FocusChanged', new GLib.Variant('(ss)', describeFocus()));
        });
    }

    destroy() {
        global.display.disconnect(this._focus);
        Gio.bus_unown_name(this._owner);
        this._object.unexport();
        this._object = null;
    }

    Current() {
        return describeFocus();
    }
}
