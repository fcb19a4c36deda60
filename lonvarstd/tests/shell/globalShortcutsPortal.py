'''python3-dbusmock template: the global-shortcuts portal as its published interface
describes it (org.freedesktop.portal.GlobalShortcuts with its Request and Session objects,
and the host registry), for tests of the portal client.

Parameters: "version" (the interface version; 1 binds only the shortcuts named in
CreateSession, as Plasma 5.27 does), "answer" ("bind", "refuse": the user says no,
"nothing": success with no shortcut bound) and "registry" (false: an older portal
without org.freedesktop.host.portal.Registry).
'''

import dbus
import dbus.lowlevel
from dbusmock import mockobject
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.GlobalShortcuts'
SYSTEM_BUS = False

REQUEST_IFACE = 'org.freedesktop.portal.Request'
SESSION_IFACE = 'org.freedesktop.portal.Session'
REGISTRY_IFACE = 'org.freedesktop.host.portal.Registry'


def sender_part(sender):
    return sender[1:].replace('.', '_')


def respond(mock, path, response, results):
    '''Response on the request object, sent after the method's reply.'''
    def send():
        message = dbus.lowlevel.SignalMessage(path, REQUEST_IFACE, 'Response')
        message.append(dbus.UInt32(response), dbus.Dictionary(results, signature='sv'),
                       signature='ua{sv}')
        mock.connection.send_message(message)
        return False
    GLib.timeout_add(10, send)


def add_method(mock, name, in_sig, out_sig, function):
    '''A method on the main interface that learns its caller, as a portal must.'''
    def method(self, *args, **keywords):
        self.log(name)
        return function(self, keywords['sender'], *args)
    wrapped = dbus.service.method(MAIN_IFACE, out_signature=out_sig)(method)
    wrapped.__name__ = name
    wrapped._dbus_in_signature = in_sig
    wrapped._dbus_args = [f'arg{i}' for i in range(1, len(dbus.Signature(in_sig)) + 1)]
    wrapped._dbus_sender_keyword = 'sender'
    setattr(mock.__class__, name, wrapped)
    mock.methods.setdefault(MAIN_IFACE, {})[name] = (in_sig, out_sig, '', wrapped)


def load(mock, parameters):
    version = int(parameters.get('version', 2))
    answer = parameters.get('answer', 'bind')
    mock.AddProperty(MAIN_IFACE, 'version', dbus.UInt32(version))
    if parameters.get('registry', True):
        mock.AddMethod(REGISTRY_IFACE, 'Register', 'sa{sv}', '', '')
    sessions = {}

    def create_session(self, sender, options):
        token = str(options['handle_token'])
        request = f'{MAIN_OBJ}/request/{sender_part(sender)}/{token}'
        session = f'{MAIN_OBJ}/session/{sender_part(sender)}/{options["session_handle_token"]}'
        if answer == 'refuse':
            respond(self, request, 1, {})
            return dbus.ObjectPath(request)
        named = list(options.get('shortcuts', [])) if version == 1 else []
        if session in sessions:
            raise dbus.exceptions.DBusException('session exists',
                                                name='org.freedesktop.portal.Error.Failed')
        sessions[session] = named
        if session not in mockobject.objects:
            self.AddObject(session, SESSION_IFACE, {}, [
                ('Close', '', '', f'objects["{MAIN_OBJ}"].close_session("{session}")')])
        respond(self, request, 0, {'session_handle': dbus.String(session)})
        return dbus.ObjectPath(request)

    def bind_shortcuts(self, sender, session, shortcuts, parent_window, options):
        request = f'{MAIN_OBJ}/request/{sender_part(sender)}/{options["handle_token"]}'
        if str(session) not in sessions:
            respond(self, request, 2, {})
        elif answer == 'nothing':
            respond(self, request, 0, {'shortcuts': dbus.Array([], signature='(sa{sv})')})
        else:
            chosen = sessions[str(session)] if version == 1 else list(shortcuts)
            bound = [dbus.Struct((s[0], dbus.Dictionary(
                {'description': s[1].get('description', ''),
                 'trigger_description': s[1].get('preferred_trigger', '')},
                signature='sv'))) for s in chosen]
            respond(self, request, 0, {'shortcuts': dbus.Array(bound, signature='(sa{sv})')})
        return dbus.ObjectPath(request)

    def close_session(session):
        sessions.pop(session, None)

    mock.close_session = close_session
    add_method(mock, 'CreateSession', 'a{sv}', 'o', create_session)
    add_method(mock, 'BindShortcuts', 'oa(sa{sv})sa{sv}', 'o', bind_shortcuts)

