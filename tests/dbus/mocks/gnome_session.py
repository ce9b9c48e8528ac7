'''The session manager of GNOME, and of Cinnamon and MATE, which keep its name.

Parameter "flavour": "gnome" has Shutdown and Reboot (they show the shell's
end-session dialog); "cinnamon" adds RequestShutdown and RequestReboot (no
dialog); "mate" has RequestShutdown and RequestReboot but no Reboot.
'''

BUS_NAME = 'org.gnome.SessionManager'
MAIN_OBJ = '/org/gnome/SessionManager'
MAIN_IFACE = 'org.gnome.SessionManager'
SYSTEM_BUS = False


def load(mock, parameters):
    flavour = parameters.get('flavour', 'gnome')
    methods = [
        ('Logout', 'u', '', ''),
        ('Shutdown', '', '', ''),
        ('CanShutdown', '', 'b', 'ret = True'),
        ('IsSessionRunning', '', 'b', 'ret = True'),
    ]
    if flavour != 'mate':
        methods.append(('Reboot', '', '', ''))
    if flavour in ('cinnamon', 'mate'):
        methods += [('RequestShutdown', '', '', ''), ('RequestReboot', '', '', '')]
    mock.AddMethods(MAIN_IFACE, methods)
