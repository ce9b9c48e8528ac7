'''GNOME's display configuration (Mutter), only its power-save mode.

Property writes are logged as calls of Set, so a test can see them.
'''

import dbus

BUS_NAME = 'org.gnome.Mutter.DisplayConfig'
MAIN_OBJ = '/org/gnome/Mutter/DisplayConfig'
MAIN_IFACE = 'org.gnome.Mutter.DisplayConfig'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddProperty(MAIN_IFACE, 'PowerSaveMode', dbus.Int32(0))
    mock.AddMethod(dbus.PROPERTIES_IFACE, 'Set', 'ssv', '',
                   'self.props[args[0]][args[1]] = args[2]')
