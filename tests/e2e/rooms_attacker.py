#!/usr/bin/python3
"""A stranger on the exam network: a small MQTT 5 client of its own that
tries to steer the rooms with forged, replayed, moved and oversized
messages. What it has seen on the broker comes from a file of
"topic<TAB>payload" lines. Prints one JSON line per forgery: its name, the
topic, how many were sent and the broker's answer to the last (0 taken,
135 not authorized).

rooms_attacker.py PORT USER PASSWORD EXAM ROOM OTHER_ROOM CAPTURED
(USER "-" for no login). With ATTACKER_ROOM_KEY naming ROOM's key file
(copied from its PC), it also signs with that key what only the controller
or OTHER_ROOM may sign.

rooms_attacker.py takeover PORT USER PASSWORD TIMES CLIENT_ID...
takes each member's public connection id with one login, TIMES times, and
prints how often the broker let it in."""

import base64
import json
import os
import re
import sys
import threading
import time

import paho.mqtt.client as mqtt
from paho.mqtt.packettypes import PacketTypes
from paho.mqtt.properties import Properties


class Client(mqtt.Client):
    """Keeps the reason code of each PUBACK, which paho leaves out."""

    def __init__(self):
        super().__init__(client_id="laptop-%d" % os.getpid(), protocol=mqtt.MQTTv5)
        self.acks = {}
        self.acked = threading.Condition()
        self.answers = []

    def _handle_pubackcomp(self, cmd):
        p = self._in_packet
        mid = int.from_bytes(p['packet'][:2], 'big')
        with self.acked:
            self.acks[mid] = p['packet'][2] if p['remaining_length'] > 2 else 0
            self.acked.notify_all()
        return super()._handle_pubackcomp(cmd)

    def send(self, topic, payload, correlation=None, response=None, qos=1):
        props = Properties(PacketTypes.PUBLISH)
        if correlation is not None:
            props.CorrelationData = correlation
        if response is not None:
            props.ResponseTopic = response
        info = self.publish(topic, payload, qos=qos, properties=props)
        if qos == 0:
            return 0
        with self.acked:
            self.acked.wait_for(lambda: info.mid in self.acks, timeout=10)
            return self.acks.get(info.mid, -1)


def unsigned(payload):
    return re.sub(r',"sig":"[0-9A-Za-z_-]*"', '', payload)


def with_mac(payload):
    """A signature of the right shape that no key made."""
    return payload[:-1] + ',"sig":"' + base64.urlsafe_b64encode(os.urandom(64)).decode().rstrip('=') + '"}'


def room_key_forgeries(keyfile, base, exam, leader, other, now_ms, state_with, reset_run, seq, other_status):
    """What a stranger with a room PC's key file signs: the controller's
    messages, and the other room's status. Each is refused by its reader."""
    from cryptography.hazmat.primitives.asymmetric.ed25519 import Ed25519PrivateKey
    from cryptography.hazmat.primitives import serialization
    seed_text = open(keyfile, encoding='ascii').read().split('\n')[1].strip()
    key = Ed25519PrivateKey.from_private_bytes(base64.urlsafe_b64decode(seed_text + '=' * (-len(seed_text) % 4)))
    public = key.public_key().public_bytes(serialization.Encoding.Raw, serialization.PublicFormat.Raw)

    def sealed(topic, payload, correlation=b''):
        body = payload.encode()
        signed = b'tavrin signed message v2\n'
        for part in (topic.encode(), correlation):
            signed += len(part).to_bytes(4, 'big') + part
        sig = base64.urlsafe_b64encode(key.sign(signed + body)).decode().rstrip('=')
        return payload[:-1] + ',"sig":"' + sig + '"}'

    def text(o):
        return json.dumps(o, separators=(',', ':'), ensure_ascii=False)

    status = json.loads(unsigned(other_status))
    status.update(state='finished', question=9, key=base64.urlsafe_b64encode(public).decode().rstrip('='),
                  at=now_ms)
    made = [
        ('state signed with a room key', base + 'state', state_with(seq=seq + 1, event='reset', run=reset_run)),
        ('presence signed with a room key', base + 'controller',
         text({'v': 2, 'kind': 'controller', 'exam': exam, 'from': leader, 'online': True, 'since': now_ms + 3600000,
               'leading': True, 'host': 'laptop', 'over': '', 'at': now_ms})),
        ('schedule signed with a room key', base + 'schedule',
         text({'v': 2, 'kind': 'schedule', 'exam': exam, 'from': leader, 'start': now_ms + 5000, 'at': now_ms})),
        ('sound check signed with a room key', base + 'soundcheck',
         text({'v': 2, 'kind': 'soundcheck?', 'exam': exam, 'from': leader, 'at': now_ms})),
        ("other room's status signed with a room key", base + 'rooms/%s/status' % other, text(status)),
        ('hold signed with a room key', base + 'rooms/%s/hold' % other,
         text({'v': 2, 'kind': 'hold', 'exam': exam, 'from': leader, 'room': other, 'hold': True, 'at': now_ms})),
        ('speaker correction signed with a room key', base + 'rooms/%s/speaker' % other,
         text({'v': 2, 'kind': 'speaker', 'exam': exam, 'from': leader, 'room': other, 'delay': 2000, 'at': now_ms})),
    ]
    return [(name, topic, sealed(topic, payload)) for name, topic, payload in made]


def main():
    port, user, password, exam, room, other, captured = sys.argv[1:8]
    seen = [line.rstrip('\n').split('\t', 1) for line in open(captured, encoding='utf-8') if '\t' in line]
    base = 'tavrin/%s/' % exam
    states = [p for t, p in seen if t == base + 'state']
    presences = [p for t, p in seen if t == base + 'controller' and '"online":true' in p]
    statuses = [p for t, p in seen if t == base + 'rooms/%s/status' % room]
    latest, oldest = states[-1], states[0]
    state = json.loads(unsigned(latest))
    leader = state['from']
    now_ms = int(time.time() * 1000)

    c = Client()
    if user != '-':
        c.username_pw_set(user, password)
    # A room's own clock answers, to replay one with its correlation data.
    c.on_message = lambda cl, u, m: c.answers.append((m.payload, m.properties.CorrelationData))
    c.connect('127.0.0.1', int(port))
    c.loop_start()
    c.subscribe(base + 'rooms/%s/clock' % room, qos=0)

    def state_with(**changes):
        s = json.loads(unsigned(latest))
        s.update(changes)
        return json.dumps(s, separators=(',', ':'), ensure_ascii=False)

    reset_run = dict(state['run'], sw=0, ck=0, t=0, question='0', reset=False, resume=False)
    seq = state['seq']
    presence = {'v': 2, 'kind': 'controller', 'exam': exam, 'from': 'c-' + os.urandom(8).hex(), 'online': True,
                'since': now_ms, 'leading': True, 'host': 'laptop', 'over': leader}
    ask = {'v': 2, 'kind': 'clock?', 'exam': exam, 'room': room}
    hold = {'v': 2, 'kind': 'hold', 'exam': exam, 'from': leader, 'room': room, 'hold': True, 'at': now_ms}
    answer = {'v': 2, 'kind': 'clock', 'exam': exam, 'from': leader,
              't1': (now_ms - 75000) * 1000, 't2': (now_ms - 75000) * 1000 + 10}
    forgeries = [
        ('unsigned state', base + 'state', state_with(seq=seq + 1, event='reset', run=reset_run)),
        ('state with an old MAC', base + 'state', latest.replace('"seq":%d,' % seq, '"seq":%d,' % (seq + 1))),
        ('state with a wrong MAC', base + 'state', with_mac(state_with(seq=seq + 1, event='end'))),
        ('replayed state, same seq', base + 'state', latest),
        ('replayed state, older seq', base + 'state', oldest),
        ('signed state moved to the presence topic', base + 'controller', latest),
        ('signed status moved to another room', base + 'rooms/%s/status' % other, statuses[-1]),
        ('seq jump', base + 'state', with_mac(state_with(seq=2 ** 53 - 1, event='reset', run=reset_run))),
        ('due far from now', base + 'state', with_mac(state_with(seq=seq + 1, due=now_ms + 10 * 86400000))),
        ('presence claiming to lead', base + 'controller', with_mac(json.dumps(presence, separators=(',', ':')))),
        ('replayed presence', base + 'controller', presences[0] if presences else with_mac('{}')),
        ('question for another room', base + 'clock', with_mac(json.dumps(ask)), os.urandom(16),
         base + 'rooms/%s/clock' % other),
        ('oversized state', base + 'state', '{"v":2,"pad":"' + 'x' * 65536 + '"}'),
        ('oversized status', base + 'rooms/%s/status' % room, '{"v":2,"pad":"' + 'x' * 65536 + '"}'),
        ('clock answer to no question', base + 'rooms/%s/clock' % room, with_mac(json.dumps(answer)),
         os.urandom(16)),
        ('unsigned hold', base + 'rooms/%s/hold' % room, json.dumps(hold, separators=(',', ':'))),
        ('hold with a wrong MAC', base + 'rooms/%s/hold' % room, with_mac(json.dumps(hold, separators=(',', ':')))),
        ('hold of another controller', base + 'rooms/%s/hold' % room,
         with_mac(json.dumps(dict(hold, **{'from': presence['from']}), separators=(',', ':')))),
    ]
    # A hold the controller sent once, sent again: taken at most once.
    forgeries += [('replayed hold', t, p) for t, p in seen if t == base + 'rooms/%s/hold' % room]
    if os.environ.get('ATTACKER_ROOM_KEY'):
        other_statuses = [p for t, p in seen if t == base + 'rooms/%s/status' % other]
        forgeries += room_key_forgeries(os.environ['ATTACKER_ROOM_KEY'], base, exam, leader, other, now_ms, state_with,
                                        reset_run, seq, other_statuses[-1])
    # Without any key only what was captured is replayed: anything else
    # would be taken as the controller's word, by design.
    replays_only = bool(os.environ.get('ATTACKER_REPLAYS_ONLY'))
    forgeries = [f for f in forgeries if not replays_only or f[0].startswith('replayed')]
    for f in forgeries:
        name, topic, payload = f[:3]
        rc = c.send(topic, payload, *f[3:])
        print(json.dumps({'name': name, 'topic': topic, 'count': 1, 'rc': rc}, ensure_ascii=False), flush=True)

    # A captured answer with its own correlation data, once it was taken.
    deadline = time.time() + 8
    while not c.answers and time.time() < deadline:
        time.sleep(0.05)
    if c.answers:
        payload, correlation = c.answers[0]
        rc = c.send(base + 'rooms/%s/clock' % room, payload, correlation)
        print(json.dumps({'name': 'replayed clock answer', 'topic': base + 'rooms/%s/clock' % room,
                          'count': 1, 'rc': rc}), flush=True)

    # A flood of statuses, forged and replayed, then one acknowledged.
    topic = base + 'rooms/%s/status' % room
    forged = json.loads(unsigned(statuses[-1]))
    forged.update(state='finished', question=9)
    # Without a key: the room's first status, replayed.
    forged = statuses[0] if replays_only else with_mac(json.dumps(forged, separators=(',', ':'), ensure_ascii=False))
    for i in range(3000):
        c.send(topic, forged if i % 2 or replays_only else statuses[-1], qos=0)
    rc = c.send(topic, forged if replays_only else statuses[-1])
    print(json.dumps({'name': 'flood of statuses', 'topic': topic, 'count': 3001, 'rc': rc}), flush=True)

    # Hook for the broker's access list: a login that takes the leader's connection id.
    if os.environ.get('ATTACKER_REUSE_ID'):
        thief = mqtt.Client(client_id='tavrin-' + leader, protocol=mqtt.MQTTv5)
        thief.username_pw_set(user, password)
        print(json.dumps({'name': 'connection id of the leader', 'topic': '', 'count': 1,
                          'rc': thief.connect('127.0.0.1', int(port))}), flush=True)
    c.loop_stop()
    c.disconnect()


def take_connection_ids(port, user, password, ids, times):
    """Connection-id reuse: logs in with a room's login under another
    member's client id ("tavrin-" + its from), again and again, as one would
    to knock that member off. The private broker takes the login as the id,
    so each attempt only replaces the attacker's own connection."""
    taken = 0
    for _ in range(times):
        for client_id in ids:
            c = mqtt.Client(client_id=client_id, protocol=mqtt.MQTTv5)
            c.username_pw_set(user, password)
            done = threading.Event()
            result = {}

            def on_connect(cl, u, flags, rc, props=None, result=result, done=done):
                result['rc'] = rc.value if hasattr(rc, 'value') else rc
                result['id'] = getattr(props, 'AssignedClientIdentifier', None) if props else None
                done.set()
            c.on_connect = on_connect
            c.connect('127.0.0.1', int(port))
            c.loop_start()
            done.wait(5)
            c.loop_stop()
            c.disconnect()
            if result.get('rc') == 0:
                taken += 1
    print(json.dumps({'name': 'connection id reuse', 'count': times * len(ids), 'connected': taken}), flush=True)


if __name__ == '__main__':
    if sys.argv[1:2] == ['takeover']:
        take_connection_ids(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[6:], int(sys.argv[5]))
    else:
        main()
