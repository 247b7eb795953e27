'''ModemManager on a test bus: a python3-dbusmock template.

Run it with /usr/bin/python3 -m dbusmock --template THIS_FILE -p JSON on a
private system bus (DBUS_SYSTEM_BUS_ADDRESS). It offers the Manager with its
ObjectManager, modems with their ports, maker and model, identifiers and lock
state, their Messaging interface (List, Create, Delete, the Added and Deleted
signals) and Sms objects with Send.

Parameters (JSON), all optional:
  modems: a list of modems, each
    {"manufacturer", "model", "imei", "device_id", "ports": ["ttyUSB2", ...],
     "lock": MMModemLock (1 none, 2 SIM PIN, 4 SIM PUK), "state": MMModemState,
     "failed_reason", "messaging": false to leave the interface out,
     "messages": [Sms properties: {"PduType", "State", "Number", "Text",
                  "Data": [bytes], "Timestamp", "MessageReference",
                  "DeliveryState", "DischargeTimestamp"}]}
  record: a file that gets one JSON line per List and per call that changes
          something ({"call": "Create", "properties": {...}}, {"call":
          "Delete", "path": ...}, {"call": "Send", "path": ...}) and "ready"
          once the mock answers calls
  refuse: {"List" | "Create" | "Delete" | "Send": "message"}: the call is
          refused as polkit refuses it (Core.Unauthorized)
  fail_send: a message: Send fails with Core.Failed and that message
  hang: the name of a call that never answers
  quit_on: the name of a call on which the mock quits without answering
  quit_after: a count of calls after which the mock quits (on the next one)

A test steers the running mock through the interface CONTROL_IFACE on the
main object, each method taking a string or nothing:
  Arrive(JSON Sms properties) -> path: a message arrives on the first modem
          (Added with received true); State 2 (receiving) leaves it waiting
          for its last part
  Complete(path): the last part of that message arrived (State 3)
  Unplug(): the first modem goes, with its Sms objects (InterfacesRemoved)
  Plug(): the modem unplugged first comes back at a new path, with the
          messages it kept
'''

import json
import os
import time

import dbus

import dbusmock.mockobject

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
MESSAGING_IFACE = 'org.freedesktop.ModemManager1.Modem.Messaging'
SMS_IFACE = 'org.freedesktop.ModemManager1.Sms'
ERROR = 'org.freedesktop.ModemManager1.Error.'
CONTROL_IFACE = 'org.mivex.Test.ModemManagerMock'
PROPERTIES_IFACE = 'org.freedesktop.DBus.Properties'

MM_SMS_STATE_RECEIVED = 3
MM_SMS_STATE_SENT = 5
MM_SMS_PDU_TYPE_SUBMIT = 2
MM_MODEM_STATE_REGISTERED = 8


def plain(value):
    '''A D-Bus value as JSON can hold it.'''
    if isinstance(value, (dbus.Array, list, tuple)):
        return [plain(item) for item in value]
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(key): plain(item) for key, item in value.items()}
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath)):
        return str(value)
    if isinstance(value, (int, float)):
        return int(value) if not isinstance(value, float) else value
    return str(value)


class ModemManagerMock:
    '''What the code snippets of the mock objects call.'''

    def __init__(self, mock, parameters):
        self.mock = mock
        self.parameters = parameters
        self.next_sms = 0
        self.next_reference = 1
        self.calls = 0
        self.sms_paths = {}  # modem path -> list of Sms paths
        self.plugged = []  # (modem path, its parameters), in the order they came
        self.unplugged = []  # parameters of modems that went, with the messages they kept
        self.next_modem = 0

    def record(self, entry):
        if 'record' in self.parameters:
            with open(self.parameters['record'], 'a', encoding='utf-8') as file:
                file.write(json.dumps(entry) + '\n')

    def enter(self, name):
        '''Faults asked for, before a call does anything.'''
        self.calls += 1
        quit_after = self.parameters.get('quit_after')
        if self.parameters.get('quit_on') == name or (quit_after is not None and self.calls > quit_after):
            os._exit(0)
        if self.parameters.get('hang') == name:
            time.sleep(3600)
        refused = self.parameters.get('refuse', {}).get(name)
        if refused is not None:
            raise dbus.exceptions.DBusException(refused, name=ERROR + 'Core.Unauthorized')

    def add_sms(self, modem_path, properties):
        path = f'/org/freedesktop/ModemManager1/SMS/{self.next_sms}'
        self.next_sms += 1
        props = {
            'State': dbus.UInt32(properties.get('State', 3)),
            'PduType': dbus.UInt32(properties.get('PduType', 1)),
            'Number': dbus.String(properties.get('Number', '')),
            'Text': dbus.String(properties.get('Text', '')),
            'Data': dbus.Array([dbus.Byte(b) for b in properties.get('Data', [])], signature='y'),
            'SMSC': dbus.String(properties.get('SMSC', '')),
            'Validity': dbus.Struct((dbus.UInt32(0), dbus.UInt32(0, variant_level=1)), signature='uv'),
            'Class': dbus.Int32(-1),
            'TeleserviceId': dbus.UInt32(0),
            'ServiceCategory': dbus.UInt32(0),
            'DeliveryReportRequest': dbus.Boolean(properties.get('DeliveryReportRequest', False)),
            'MessageReference': dbus.UInt32(properties.get('MessageReference', 0)),
            'Timestamp': dbus.String(properties.get('Timestamp', '')),
            'DischargeTimestamp': dbus.String(properties.get('DischargeTimestamp', '')),
            'DeliveryState': dbus.UInt32(properties.get('DeliveryState', 256)),
            'Storage': dbus.UInt32(properties.get('Storage', 2)),
        }
        self.mock.AddObject(path, SMS_IFACE, props, [
            ('Send', '', '', 'mm_mock.send(self)'),
            ('Store', 'u', '', ''),
        ])
        self.sms_paths.setdefault(modem_path, []).append(path)
        self.set_messages(modem_path)
        return path

    def set_messages(self, modem_path):
        paths = dbus.Array([dbus.ObjectPath(p) for p in self.sms_paths.get(modem_path, [])], signature='o')
        dbusmock.mockobject.objects[modem_path].props[MESSAGING_IFACE]['Messages'] = paths

    def list(self, modem):
        self.enter('List')
        self.record({'call': 'List'})
        return dbus.Array([dbus.ObjectPath(p) for p in self.sms_paths.get(modem.path, [])], signature='o')

    def create(self, modem, properties):
        self.enter('Create')
        self.record({'call': 'Create', 'properties': plain(properties)})
        path = self.add_sms(modem.path, {
            'State': 0, 'PduType': MM_SMS_PDU_TYPE_SUBMIT,
            'Number': properties.get('number', ''), 'Text': properties.get('text', ''),
            'SMSC': properties.get('smsc', ''),
            'DeliveryReportRequest': properties.get('delivery-report-request', False),
        })
        modem.EmitSignal(MESSAGING_IFACE, 'Added', 'ob', [dbus.ObjectPath(path), False])
        return dbus.ObjectPath(path)

    def delete(self, modem, path):
        self.enter('Delete')
        paths = self.sms_paths.get(modem.path, [])
        if path not in paths:
            raise dbus.exceptions.DBusException('No SMS found with path ' + path,
                                                name=ERROR + 'Core.NotFound')
        self.record({'call': 'Delete', 'path': str(path)})
        paths.remove(path)
        self.set_messages(modem.path)
        self.mock.RemoveObject(path)
        modem.EmitSignal(MESSAGING_IFACE, 'Deleted', 'o', [dbus.ObjectPath(path)])

    def send(self, sms):
        self.enter('Send')
        self.record({'call': 'Send', 'path': sms.path})
        if 'fail_send' in self.parameters:
            raise dbus.exceptions.DBusException(self.parameters['fail_send'], name=ERROR + 'Core.Failed')
        changed = {'State': dbus.UInt32(MM_SMS_STATE_SENT),
                   'MessageReference': dbus.UInt32(self.next_reference)}
        self.next_reference += 1
        self.change(sms, changed)

    def change(self, sms, changed):
        sms.props[SMS_IFACE].update(changed)
        sms.EmitSignal(PROPERTIES_IFACE, 'PropertiesChanged', 'sa{sv}as',
                       [SMS_IFACE, dbus.Dictionary(changed, signature='sv'), dbus.Array([], signature='s')])

    def arrive(self, properties_json):
        modem_path = self.plugged[0][0]
        path = self.add_sms(modem_path, json.loads(properties_json))
        dbusmock.mockobject.objects[modem_path].EmitSignal(
            MESSAGING_IFACE, 'Added', 'ob', [dbus.ObjectPath(path), True])
        return dbus.ObjectPath(path)

    def complete(self, path):
        self.change(dbusmock.mockobject.objects[path], {'State': dbus.UInt32(MM_SMS_STATE_RECEIVED)})

    def unplug(self):
        modem_path, modem = self.plugged.pop(0)
        kept = [dict(dbusmock.mockobject.objects[p].props[SMS_IFACE])
                for p in self.sms_paths.get(modem_path, [])]
        self.mock.object_manager_emit_removed(modem_path)
        for path in self.sms_paths.pop(modem_path, []):
            self.mock.RemoveObject(path)
        self.mock.RemoveObject(modem_path)
        self.unplugged.append(dict(modem, messages=kept))

    def plug(self):
        add_modem(self.mock, self, self.unplugged.pop(0))


def add_modem(mock, state, modem):
    index = state.next_modem
    state.next_modem += 1
    path = f'/org/freedesktop/ModemManager1/Modem/{index}'
    ports = [(dbus.String(name), dbus.UInt32(1)) for name in modem.get('ports', [])]
    mock.AddObject(path, MODEM_IFACE, {
        'Manufacturer': dbus.String(modem.get('manufacturer', 'Quectel')),
        'Model': dbus.String(modem.get('model', 'EC25')),
        'EquipmentIdentifier': dbus.String(modem.get('imei', '')),
        'DeviceIdentifier': dbus.String(modem.get('device_id', f'{index:040x}')),
        'Device': dbus.String(f'/sys/devices/usb{index}'),
        'Drivers': dbus.Array(['option'], signature='s'),
        'Plugin': dbus.String('quectel'),
        'PrimaryPort': dbus.String(modem.get('ports', [''])[0] if modem.get('ports') else ''),
        'Ports': dbus.Array(ports, signature='(su)'),
        'UnlockRequired': dbus.UInt32(modem.get('lock', 1)),
        'State': dbus.Int32(modem.get('state', MM_MODEM_STATE_REGISTERED)),
        'StateFailedReason': dbus.UInt32(modem.get('failed_reason', 0)),
        'Sim': dbus.ObjectPath('/'),
    }, [])
    obj = dbusmock.mockobject.objects[path]
    if modem.get('messaging', True):
        obj.AddProperties(MESSAGING_IFACE, {
            'Messages': dbus.Array([], signature='o'),
            'SupportedStorages': dbus.Array([dbus.UInt32(2), dbus.UInt32(1)], signature='u'),
            'DefaultStorage': dbus.UInt32(2),
        })
        obj.AddMethods(MESSAGING_IFACE, [
            ('List', '', 'ao', 'ret = mm_mock.list(self)'),
            ('Create', 'a{sv}', 'o', 'ret = mm_mock.create(self, args[0])'),
            ('Delete', 'o', '', 'mm_mock.delete(self, args[0])'),
        ])
        for message in modem.get('messages', []):
            state.add_sms(path, message)
    state.plugged.append((path, modem))
    mock.object_manager_emit_added(path)


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {'Version': dbus.String('1.20.4')})
    mock.AddMethods(MAIN_IFACE, [
        ('ScanDevices', '', '', ''),
        ('SetLogging', 's', '', ''),
    ])
    # Only modems are announced through the object manager, as ModemManager
    # does; Sms objects are reached through Messaging.List.
    mock.AddMethod(dbusmock.mockobject.OBJECT_MANAGER_IFACE, 'GetManagedObjects', '', 'a{oa{sa{sv}}}',
                   'ret = {dbus.ObjectPath(k): objects[k].props for k in objects.keys() '
                   'if k.startswith("/org/freedesktop/ModemManager1/Modem/")}')
    state = ModemManagerMock(mock, parameters)
    dbusmock.mockobject.mm_mock = state
    mock.AddMethods(CONTROL_IFACE, [
        ('Arrive', 's', 'o', 'ret = mm_mock.arrive(args[0])'),
        ('Complete', 's', '', 'mm_mock.complete(args[0])'),
        ('Unplug', '', '', 'mm_mock.unplug()'),
        ('Plug', '', '', 'mm_mock.plug()'),
    ])
    for modem in parameters.get('modems', []):
        add_modem(mock, state, modem)
    state.record('ready')
