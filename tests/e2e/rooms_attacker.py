#!/usr/bin/python3
"""A stranger on the exam network: a small MQTT 5 client of its own that
tries to steer the rooms with forged, replayed, moved and oversized
messages. What it has seen on the broker comes from a file of
"topic<TAB>payload" lines. Prints one JSON line per forgery: its name, the
topic, how many were sent and the broker's answer to the last (0 taken,
135 not authorized).

rooms_attacker.py PORT USER PASSWORD EXAM ROOM OTHER_ROOM CAPTURED
(USER "-" for no login)."""

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
    ]
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
    forged = with_mac(json.dumps(forged, separators=(',', ':'), ensure_ascii=False))
    for i in range(3000):
        c.send(topic, forged if i % 2 else statuses[-1], qos=0)
    rc = c.send(topic, statuses[-1])
    print(json.dumps({'name': 'flood of statuses', 'topic': topic, 'count': 3001, 'rc': rc}), flush=True)

    # Replays of what it captured, signed as they were: every schedule but
    # the newest, the leader's presences and its will, and one sound-check
    # request 20,000 times over.
    replays = [('replayed earlier schedule', base + 'schedule', p)
               for p in [p for t, p in seen if t == base + 'schedule'][:-1]]
    replays += [('replayed presence of the leader', base + 'controller', p) for p in presences[:1]]
    replays += [('replayed will', base + 'controller', p)
                for t, p in seen if t == base + 'controller' and '"online":false' in p][:1]
    for name, topic, payload in replays:
        rc = c.send(topic, payload)
        print(json.dumps({'name': name, 'topic': topic, 'count': 1, 'rc': rc}), flush=True)
    checks = [p for t, p in seen if t == base + 'soundcheck']
    if checks:
        topic = base + 'soundcheck'
        for _ in range(20000):
            c.send(topic, checks[-1], qos=0)
        rc = c.send(topic, checks[-1])
        print(json.dumps({'name': 'replayed sound checks', 'topic': topic, 'count': 20001, 'rc': rc}), flush=True)
    # Hook: a login reusing another member's connection id (tavrin-<from>),
    # for the broker's access list to refuse.
    if os.environ.get('ATTACKER_REUSE_ID'):
        thief = mqtt.Client(client_id='tavrin-' + leader, protocol=mqtt.MQTTv5)
        if user != '-':
            thief.username_pw_set(user, password)
        rc = thief.connect('127.0.0.1', int(port))
        print(json.dumps({'name': 'connection id of the leader', 'topic': '', 'count': 1, 'rc': rc}), flush=True)
        thief.disconnect()
    c.loop_stop()
    c.disconnect()


if __name__ == '__main__':
    main()
