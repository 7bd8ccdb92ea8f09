#!/usr/bin/python3
"""A stranger's script against the browser view on 127.0.0.1:PORT, from 127.0.0.2
on: a 2 GiB body, an 8 MiB header, 300 idle WebSockets and 1,100 requests that
never end, opened again when closed. Prints "ready" once all are under way,
and after SECONDS what became of them. --only body|header|slow|ws: one of them."""
import base64, os, resource, selectors, socket, sys, time

port, seconds, only = int(sys.argv[1]), float(sys.argv[2]), sys.argv[4] if sys.argv[3:4] == ['--only'] else None
resource.setrlimit(resource.RLIMIT_NOFILE, (resource.getrlimit(resource.RLIMIT_NOFILE)[1],) * 2)
host = b'127.0.0.1:%d' % port
sel = selectors.DefaultSelector()
stats = dict.fromkeys(('opened', 'closed', 'body_sent', 'header_sent'), 0)
answers = {}
LIMIT = {'body': 2 ** 31, 'header': 8 * 2 ** 20}
FIRST = {'body': b'POST /x HTTP/1.1\r\nHost: %s\r\nContent-Length: 2147483648\r\n\r\n' % host,
         'header': b'GET / HTTP/1.1\r\nHost: %s\r\nX-Big: ' % host, 'slow': b'GET / HTTP/1.1\r\n',
         'ws': b'GET /ws HTTP/1.1\r\nHost: %s\r\nOrigin: http://%s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n'
               b'Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: ' % (host, host)}


class Conn:
    def __init__(self, kind, n):
        self.kind, self.n, self.got, self.sent = kind, n, b'', 0
        self.out = FIRST[kind] + (base64.b64encode(os.urandom(16)) + b'\r\n\r\n' if kind == 'ws' else b'')
        self.s = socket.socket()
        self.s.setblocking(False)
        self.s.bind(('127.0.0.%d' % (2 + n % 50), 0))
        self.s.connect_ex(('127.0.0.1', port))
        stats['opened'] += 1
        sel.register(self.s, selectors.EVENT_READ | selectors.EVENT_WRITE, self)

    def event(self, mask):
        try:
            if mask & selectors.EVENT_READ:
                data = self.s.recv(65536)
                if not data:
                    return self.close()
                self.got = (self.got + data)[:200]
            if mask & selectors.EVENT_WRITE and self.out:
                n = self.s.send(self.out[:65536])
                self.out, self.sent = self.out[n:], self.sent + n
                if self.kind in LIMIT:
                    stats[self.kind + '_sent'] += n
                    if not self.out and self.sent < LIMIT[self.kind]:
                        self.out = b'x' * 65536
            if not self.out:
                sel.modify(self.s, selectors.EVENT_READ, self)
        except BlockingIOError:
            pass
        except OSError:
            self.close()

    def close(self):
        if self.kind in LIMIT:
            answers[self.kind] = self.got.split(b'\r\n')[0].decode(errors='replace')
        sel.unregister(self.s)
        self.s.close()
        self.s = None
        stats['closed'] += 1


def pump(seconds):
    end = time.time() + seconds
    while time.time() < end:
        for key, mask in sel.select(0.05):
            key.data.event(mask)


# The body, the header and the WebSockets under way before the crowd comes.
conns = []
for kind, n in [('body', 1), ('header', 1), ('ws', 300), ('slow', 1100)]:
    if only in (None, kind):
        conns += [Conn(kind, i) for i in range(n)]
        pump(0.3)
print('ready', flush=True)
end = time.time() + seconds
while time.time() < end:
    pump(1)
    for i, c in enumerate(conns):
        if c.s and c.kind == 'slow' and not c.out:
            c.out = b'X'  # a byte more of a header that never ends
            sel.modify(c.s, selectors.EVENT_READ | selectors.EVENT_WRITE, c)
        elif c.s is None and c.kind in ('slow', 'ws'):
            conns[i] = Conn(c.kind, c.n)  # the ones the server closed come back
print(' '.join('%s=%d' % kv for kv in stats.items()), ' '.join('%s: %s' % kv for kv in answers.items()), flush=True)
