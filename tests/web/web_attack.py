#!/usr/bin/python3
"""What a stranger's script does to the browser view on 127.0.0.1:PORT, from
127.0.0.2 on: a 2 GiB body, an 8 MiB header, 1,100 requests that never end
and 300 idle WebSockets, each opened again when the server closes it. Prints
"ready" once all are under way and, after SECONDS, what became of them.
--only body|header|slow|ws makes one of them."""
import argparse, base64, os, resource, selectors, socket, time

ap = argparse.ArgumentParser()
ap.add_argument('port', type=int)
ap.add_argument('seconds', type=float)
ap.add_argument('--only')
args = ap.parse_args()
resource.setrlimit(resource.RLIMIT_NOFILE, (resource.getrlimit(resource.RLIMIT_NOFILE)[1],) * 2)
host = b'127.0.0.1:%d' % args.port
sel = selectors.DefaultSelector()
stats = dict.fromkeys(('opened', 'closed', 'upgraded', 'body_sent', 'header_sent'), 0)
answers = {}
LIMIT = {'body': 2 ** 31, 'header': 8 * 2 ** 20}
FIRST = {'body': b'POST /x HTTP/1.1\r\nHost: %s\r\nContent-Length: 2147483648\r\n\r\n' % host,
         'header': b'GET / HTTP/1.1\r\nHost: %s\r\nX-Big: ' % host, 'slow': b'GET / HTTP/1.1\r\n',
         'ws': b'GET /ws HTTP/1.1\r\nHost: %s\r\nOrigin: http://%s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n'
               b'Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: ' % (host, host)}


class Conn:
    def __init__(self, kind, n):
        self.kind, self.n, self.got, self.up, self.sent = kind, n, b'', False, 0
        self.out = FIRST[kind] + (base64.b64encode(os.urandom(16)) + b'\r\n\r\n' if kind == 'ws' else b'')
        self.s = socket.socket()
        self.s.setblocking(False)
        self.s.bind(('127.0.0.%d' % (2 + n % 50), 0))
        self.s.connect_ex(('127.0.0.1', args.port))
        stats['opened'] += 1
        sel.register(self.s, selectors.EVENT_READ | selectors.EVENT_WRITE, self)

    def event(self, mask):
        try:
            if mask & selectors.EVENT_READ:
                data = self.s.recv(65536)
                if not data:
                    return self.close()
                self.got += data[:200]
                if self.kind == 'ws' and not self.up and b' 101 ' in self.got[:20]:
                    stats['upgraded'] += 1
                    self.up = True
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


# The body and the header first, under way before the crowd comes.
conns = []
for kind, n in [('body', 1), ('header', 1), ('slow', 1100), ('ws', 300)]:
    if args.only in (None, kind):
        conns += [Conn(kind, i) for i in range(n)]
        pump(0.3 if kind == 'header' else 0)
print('ready', flush=True)
end = time.time() + args.seconds
while time.time() < end:
    pump(1)
    for i, c in enumerate(conns):
        if c.s and c.kind == 'slow' and not c.out:
            c.out = b'X'  # a byte more of a header that never ends
            sel.modify(c.s, selectors.EVENT_READ | selectors.EVENT_WRITE, c)
        elif c.s is None and c.kind in ('slow', 'ws'):
            conns[i] = Conn(c.kind, c.n)  # the ones the server closed come back
print(' '.join('%s=%d' % kv for kv in stats.items()), ' '.join('%s: %s' % kv for kv in answers.items()), flush=True)
