'''KDE's global shortcuts, with the power management's component.'''

BUS_NAME = 'org.kde.kglobalaccel'
MAIN_OBJ = '/kglobalaccel'
MAIN_IFACE = 'org.kde.KGlobalAccel'
SYSTEM_BUS = False

POWERDEVIL = '/component/org_kde_powerdevil'


def load(mock, _parameters):
    mock.AddObject(POWERDEVIL, 'org.kde.kglobalaccel.Component', {}, [
        ('invokeShortcut', 's', '', ''),
        ('shortcutNames', '', 'as', 'ret = ["Turn Off Screen", "Sleep", "Hibernate"]'),
    ])
