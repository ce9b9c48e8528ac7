'''KDE Plasma's shutdown service (5.25 and later), started on demand.'''

BUS_NAME = 'org.kde.Shutdown'
MAIN_OBJ = '/Shutdown'
MAIN_IFACE = 'org.kde.Shutdown'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddMethods(MAIN_IFACE, [
        ('logout', '', '', ''),
        ('logoutAndShutdown', '', '', ''),
        ('logoutAndReboot', '', '', ''),
    ])
