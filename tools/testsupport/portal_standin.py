'''A stand-in for the desktop portal's RemoteDesktop and GlobalShortcuts interfaces
(org.freedesktop.portal.Desktop on the session bus), following their published
definitions: requests answer through org.freedesktop.portal.Request.Response on the
request path that ends in the caller's handle_token; sessions are
org.freedesktop.portal.Session objects. Every call is in dbusmock's log.

Parameters (JSON, dbusmock -p): "start_response" (0 granted, 1 the user refused),
"restore_token" (handed back by Start), "bind_nothing" (BindShortcuts binds no key).
Mock method PressShortcut(id) sends Activated and Deactivated for the shortcut.

By hand, on a session bus without a portal:
  /usr/bin/python3 -m dbusmock --session -t tools/testsupport/portal_standin.py -l calls.log
'''

import dbus
import dbus.service
from gi.repository import GLib

import dbusmock
from dbusmock import MOCK_IFACE

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.RemoteDesktop'
SHORTCUTS_IFACE = 'org.freedesktop.portal.GlobalShortcuts'
SYSTEM_BUS = False

REQUEST_IFACE = 'org.freedesktop.portal.Request'
SESSION_IFACE = 'org.freedesktop.portal.Session'


def answer(mock, options, response, results):
    '''The request object of the call, and its Response a moment after the call returns.'''
    path = MAIN_OBJ + '/request/standin/' + options['handle_token']

    def respond():
        if path not in dbusmock.mockobject.objects:
            mock.AddObject(path, REQUEST_IFACE, {}, [])
        dbusmock.mockobject.objects[path].EmitSignal(
            REQUEST_IFACE, 'Response', 'ua{sv}',
            [dbus.UInt32(response), dbus.Dictionary(results, signature='sv')])
        return False

    GLib.timeout_add(5, respond)
    return dbus.ObjectPath(path)


def new_session(mock, options):
    path = MAIN_OBJ + '/session/standin/' + options['session_handle_token']
    if path not in dbusmock.mockobject.objects:
        mock.AddObject(path, SESSION_IFACE, {}, [('Close', '', '', '')])
    return path


def load(mock, parameters):
    mock.shortcut_session = ''

    def rd_create_session(self, options):
        return answer(mock, options, 0, {'session_handle': new_session(mock, options)})

    def rd_select_devices(self, session, options):
        return answer(mock, options, 0, {})

    def rd_start(self, session, parent, options):
        refused = parameters.get('start_response', 0)
        results = {} if refused else {'devices': dbus.UInt32(1)}
        if not refused and parameters.get('restore_token'):
            results['restore_token'] = parameters['restore_token']
        return answer(mock, options, refused, results)

    def rd_notify(self, session, options, value, state):
        pass

    mock.AddMethods(MAIN_IFACE, [
        ('CreateSession', 'a{sv}', 'o', rd_create_session),
        ('SelectDevices', 'oa{sv}', 'o', rd_select_devices),
        ('Start', 'osa{sv}', 'o', rd_start),
        ('NotifyKeyboardKeysym', 'oa{sv}iu', '', rd_notify),
        ('NotifyKeyboardKeycode', 'oa{sv}iu', '', rd_notify),
    ])
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({
        'AvailableDeviceTypes': dbus.UInt32(7),
        'version': dbus.UInt32(2),
    }, signature='sv'))

    def gs_create_session(self, options):
        mock.shortcut_session = new_session(mock, options)
        return answer(mock, options, 0, {'session_handle': mock.shortcut_session})

    def gs_bind(self, session, shortcuts, parent, options):
        bound = [] if parameters.get('bind_nothing') else [
            dbus.Struct((name, dbus.Dictionary(
                {'description': props['description'], 'trigger_description': name},
                signature='sv')), signature='sa{sv}')
            for name, props in shortcuts]
        return answer(mock, options, 0,
                      {'shortcuts': dbus.Array(bound, signature='(sa{sv})')})

    mock.AddMethods(SHORTCUTS_IFACE, [
        ('CreateSession', 'a{sv}', 'o', gs_create_session),
        ('BindShortcuts', 'oa(sa{sv})sa{sv}', 'o', gs_bind),
    ])
    mock.AddProperties(SHORTCUTS_IFACE, dbus.Dictionary({'version': dbus.UInt32(1)},
                                                        signature='sv'))


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def PressShortcut(self, shortcut):
    '''A press of a bound shortcut, as the desktop reports it.'''
    for name in ('Activated', 'Deactivated'):
        self.EmitSignal(SHORTCUTS_IFACE, name, 'osta{sv}',
                        [dbus.ObjectPath(self.shortcut_session), shortcut, dbus.UInt64(0),
                         dbus.Dictionary({}, signature='sv')])
