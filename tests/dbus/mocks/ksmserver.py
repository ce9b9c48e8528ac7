'''KDE's session manager.

Parameter "plasma": 5 (before 5.25) offers logout(confirm, type, mode); 6 no
longer does, its shutdown service takes over.
'''

BUS_NAME = 'org.kde.ksmserver'
MAIN_OBJ = '/KSMServer'
MAIN_IFACE = 'org.kde.KSMServerInterface'
SYSTEM_BUS = False


def load(mock, parameters):
    methods = [
        ('isShuttingDown', '', 'b', 'ret = False'),
        ('closeSession', '', 'b', 'ret = True'),
    ]
    if int(parameters.get('plasma', 6)) < 6:
        methods.append(('logout', 'iii', '', ''))
    mock.AddMethods(MAIN_IFACE, methods)
