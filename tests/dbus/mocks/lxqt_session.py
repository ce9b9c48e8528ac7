'''LXQt's session. The real one never answers these calls; this one does.'''

BUS_NAME = 'org.lxqt.session'
MAIN_OBJ = '/LXQtSession'
MAIN_IFACE = 'org.lxqt.session'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddMethods(MAIN_IFACE, [
        ('canLogout', '', 'b', 'ret = True'),
        ('logout', '', '', ''),
        ('reboot', '', '', ''),
        ('powerOff', '', '', ''),
    ])
