'''Xfce's session manager.'''

BUS_NAME = 'org.xfce.SessionManager'
MAIN_OBJ = '/org/xfce/SessionManager'
MAIN_IFACE = 'org.xfce.Session.Manager'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddMethods(MAIN_IFACE, [
        ('Logout', 'bb', '', ''),
        ('Shutdown', 'b', '', ''),
        ('Restart', 'b', '', ''),
        ('Suspend', '', '', ''),
        ('Hibernate', '', '', ''),
        ('CanShutdown', '', 'b', 'ret = True'),
    ])
