'''ModemManager with one modem and its voice interface, for the dialler's tests

A python3-dbusmock template. The modem is /org/freedesktop/ModemManager1/Modem/0
with org.freedesktop.ModemManager1.Modem (its State) and, unless "Voice" is
false, org.freedesktop.ModemManager1.Modem.Voice. Voice.CreateCall makes a call
object (Call/1, Call/2, ...) in state UNKNOWN; Call.Start moves it to DIALING,
Call.Hangup to TERMINATED (reason TERMINATED), Voice.DeleteCall removes it.
Tests play the rest of a call with the mock method SetCallState(path, state,
reason) on the main object.

Parameters: "ModemState" (MMModemState, default 8: registered), "Voice"
(default true), "StartFails" (default false: Start ends the call with reason
ERROR and answers with an error, as a modem without dial tone does).
'''

import dbus

from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
IS_OBJECT_MANAGER = True
SYSTEM_BUS = True

MODEM = MAIN_OBJ + '/Modem/0'
MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
VOICE_IFACE = 'org.freedesktop.ModemManager1.Modem.Voice'
CALL_IFACE = 'org.freedesktop.ModemManager1.Call'

CALL_STATE_UNKNOWN = 0
CALL_STATE_DIALING = 1
CALL_STATE_TERMINATED = 7
REASON_OUTGOING_STARTED = 1
REASON_TERMINATED = 4
REASON_ERROR = 6


def load(mock, parameters):
    mock.start_fails = bool(parameters.get('StartFails', False))
    mock.call_count = 0
    mock.AddMethod(MAIN_IFACE, 'ScanDevices', '', '', '')
    mock.AddObject(MODEM, MODEM_IFACE, {'State': dbus.Int32(parameters.get('ModemState', 8))}, [])
    if parameters.get('Voice', True):
        modem = mockobject.objects[MODEM]
        modem.AddProperties(VOICE_IFACE, {
            'Calls': dbus.Array([], signature='o'),
            'EmergencyOnly': dbus.Boolean(False),
        })


def _main():
    return mockobject.objects[MAIN_OBJ]


def _set_state(call, state, reason):
    props = call.props[CALL_IFACE]
    old = props['State']
    props['State'] = dbus.Int32(state)
    props['StateReason'] = dbus.Int32(reason)
    call.EmitSignal(CALL_IFACE, 'StateChanged', 'iiu', [dbus.Int32(old), dbus.Int32(state), dbus.UInt32(reason)])


@dbus.service.method(VOICE_IFACE, in_signature='a{sv}', out_signature='o')
def CreateCall(self, properties):
    main = _main()
    main.call_count += 1
    path = f'{MAIN_OBJ}/Call/{main.call_count}'
    self.AddObject(path, CALL_IFACE, {
        'State': dbus.Int32(CALL_STATE_UNKNOWN),
        'StateReason': dbus.Int32(0),
        'Direction': dbus.Int32(2),
        'Number': dbus.String(properties.get('number', '')),
    }, [])
    voice = self.props[VOICE_IFACE]
    voice['Calls'] = dbus.Array(list(voice['Calls']) + [dbus.ObjectPath(path)], signature='o')
    self.EmitSignal(VOICE_IFACE, 'CallAdded', 'o', [dbus.ObjectPath(path)])
    return dbus.ObjectPath(path)


@dbus.service.method(VOICE_IFACE, in_signature='o', out_signature='')
def DeleteCall(self, path):
    if path not in mockobject.objects:
        raise dbus.exceptions.DBusException('No such call', name='org.freedesktop.ModemManager1.Error.Core.NotFound')
    self.RemoveObject(path)
    voice = self.props[VOICE_IFACE]
    voice['Calls'] = dbus.Array([p for p in voice['Calls'] if p != path], signature='o')
    self.EmitSignal(VOICE_IFACE, 'CallDeleted', 'o', [dbus.ObjectPath(path)])


@dbus.service.method(VOICE_IFACE, in_signature='', out_signature='ao')
def ListCalls(self):
    return self.props[VOICE_IFACE]['Calls']


@dbus.service.method(CALL_IFACE, in_signature='', out_signature='')
def Start(self):
    if _main().start_fails:
        _set_state(self, CALL_STATE_TERMINATED, REASON_ERROR)
        raise dbus.exceptions.DBusException('No dial tone', name='org.freedesktop.ModemManager1.Error.Connection.NoDialtone')
    _set_state(self, CALL_STATE_DIALING, REASON_OUTGOING_STARTED)


@dbus.service.method(CALL_IFACE, in_signature='', out_signature='')
def Hangup(self):
    _set_state(self, CALL_STATE_TERMINATED, REASON_TERMINATED)


@dbus.service.method(MOCK_IFACE, in_signature='sii', out_signature='')
def SetCallState(self, path, state, reason):
    _set_state(mockobject.objects[path], state, reason)
