#!/usr/bin/python3
"""What a stranger with a script does to the browser view on 127.0.0.1:PORT,
from addresses 127.0.0.2 on: a 2 GiB body, an 8 MiB header, 1,100 requests
that never end and 300 idle WebSockets, each opened again when the server
closes it. Prints "ready" once all are under way, and what became of them
after SECONDS. --only body|header|slow|ws runs one of them."""
import argparse, base64, errno, os, resource, selectors, socket, sys, time

ap = argparse.ArgumentParser()
ap.add_argument('port', type=int)
ap.add_argument('seconds', type=float)
ap.add_argument('--only', choices=['body', 'header', 'slow', 'ws'])
ap.add_argument('--slow', type=int, default=1100)
ap.add_argument('--ws', type=int, default=300)
args = ap.parse_args()
resource.setrlimit(resource.RLIMIT_NOFILE, (resource.getrlimit(resource.RLIMIT_NOFILE)[1],) * 2)
host = '127.0.0.1:%d' % args.port
sel = selectors.DefaultSelector()
stats = {k: 0 for k in ('opened', 'refused', 'closed', 'upgraded', 'body_sent', 'header_sent')}
answers = {}
CHUNK = b'x' * 65536


class Conn:
    def __init__(self, kind, n):
        self.kind, self.n, self.got, self.up = kind, n, b'', False
        self.s = socket.socket()
        self.s.setblocking(False)
        self.s.bind(('127.0.0.%d' % (2 + n % 50), 0))
        err = self.s.connect_ex(('127.0.0.1', args.port))
        if err not in (0, errno.EINPROGRESS):
            stats['refused'] += 1
            self.s.close()
            self.s = None
            return
        stats['opened'] += 1
        key = base64.b64encode(os.urandom(16)).decode()
        self.out = {
            'body': b'POST /x HTTP/1.1\r\nHost: %s\r\nContent-Length: 2147483648\r\n\r\n' % host.encode(),
            'header': b'GET / HTTP/1.1\r\nHost: %s\r\nX-Big: ' % host.encode(),
            'slow': b'GET / HTTP/1.1\r\n',
            'ws': ('GET /ws HTTP/1.1\r\nHost: %s\r\nOrigin: http://%s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n'
                   'Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n' % (host, host, key)).encode(),
        }[kind]
        sel.register(self.s, selectors.EVENT_READ | selectors.EVENT_WRITE, self)

    def event(self, mask):
        try:
            if mask & selectors.EVENT_READ:
                data = self.s.recv(65536)
                if not data:
                    raise ConnectionResetError
                self.got += data[:200]
                if self.kind == 'ws' and not self.up and b' 101 ' in self.got[:20]:
                    stats['upgraded'] += 1
                    self.up = True
            if mask & selectors.EVENT_WRITE and self.out:
                n = self.s.send(self.out[:65536])
                self.out = self.out[n:]
                if self.kind in ('body', 'header'):
                    stats[self.kind + '_sent'] += n
                    limit = 2 ** 31 if self.kind == 'body' else 8 * 2 ** 20
                    if not self.out and stats[self.kind + '_sent'] < limit:
                        self.out = CHUNK
            if not self.out:
                sel.modify(self.s, selectors.EVENT_READ, self)
        except BlockingIOError:
            pass
        except OSError:
            self.close()

    def trickle(self):
        # One byte of a header that never ends, every second.
        if self.s and self.kind == 'slow' and not self.out:
            try:
                self.s.send(b'X')
            except BlockingIOError:
                pass
            except OSError:
                self.close()

    def close(self):
        if self.s:
            if self.kind in ('body', 'header'):
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
for kind, n in [('body', 1), ('header', 1), ('slow', args.slow), ('ws', args.ws)]:
    if args.only in (None, kind):
        conns += [Conn(kind, i) for i in range(n)]
        pump(0.3 if kind == 'header' else 0)
print('ready', flush=True)
end = time.time() + args.seconds
while time.time() < end:
    pump(1)
    for i, c in enumerate(conns):
        c.trickle()
        # The ones the server closed come back.
        if c.s is None and c.kind in ('slow', 'ws'):
            conns[i] = Conn(c.kind, c.n)
print(' '.join('%s=%d' % kv for kv in stats.items()), ' '.join('%s: %s' % kv for kv in answers.items()), flush=True)
