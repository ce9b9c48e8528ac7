'''Loaded into a running mock: requests whose answer waits on a person.

GNOME's Shutdown answers when the session has ended, logind's PowerOff when
the user has authenticated; here neither ever comes.
'''

import dbus
import dbus.service

pending = []


def load(_mock, _parameters):
    pass


@dbus.service.method('org.gnome.SessionManager', in_signature='', out_signature='',
                     async_callbacks=('reply', 'error'))
def Shutdown(_self, reply, error):
    pending.append((reply, error))


@dbus.service.method('org.freedesktop.login1.Manager', in_signature='b', out_signature='',
                     async_callbacks=('reply', 'error'))
def PowerOff(_self, _interactive, reply, error):
    pending.append((reply, error))
