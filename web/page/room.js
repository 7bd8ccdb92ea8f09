// The room display in a browser. The serving Tavrin sends the run as it
// stands after its last tick and when that tick was due on its wall clock;
// the page works out the ticks after it by the same rule (layout.js) and
// draws each one when it is due on the serving Tavrin's clock, measured over
// the same connection. Without a connection it goes on by its own clock.
(function () {
  'use strict';
  const L = window.TavrinLayout;
  const PERIOD = 1000;
  const canvas = document.getElementById('room');
  const ctx2d = canvas.getContext('2d');
  const info = { lost: document.getElementById('lost'), offset: document.getElementById('offset'),
                 hint: document.getElementById('hint') };
  const colours = { red: '#ff0000', yellow: '#ffff00', green: '#00ff00' };
  const CUE_FILES = [null, 'Tavrin-Jihou1.wav', 'Tavrin-Jihou2.wav', 'Tavrin-Jihou3.wav', 'Tavrin-chime.wav'];
  let texts = { suffix: '', secondsLeft: '%1', offset: '%1 ms', lost: '!', tap: '' };

  // ---- The serving Tavrin's clock -----------------------------------------
  // offset: its wall clock minus ours, from the exchange with the shortest
  // round trip among the recent ones.
  const wall = () => performance.timeOrigin + performance.now();
  const samples = [];
  let offset = null;
  function addSample(t0, rxUs, txUs, t3) {
    const rtt = (t3 - t0) - (txUs - rxUs) / 1000;
    if (!(rtt >= 0) || rtt > 2000) return;
    samples.push({ rtt, off: ((rxUs / 1000 - t0) + (txUs / 1000 - t3)) / 2, at: t3 });
    while (samples.length > 16 || (samples.length && t3 - samples[0].at > 300000)) samples.shift();
    const best = samples.reduce((a, b) => (b.rtt < a.rtt ? b : a));
    const first = offset === null;
    offset = best.off;
    info.offset.textContent = texts.offset.replace('%1', (offset >= 0 ? '+' : '') + offset.toFixed(1))
      .replace('%2', best.rtt.toFixed(1));
    if (first) adopt();
  }
  const serverNow = () => wall() + offset;
  // performance.now() at which the serving Tavrin's wall clock reads ms.
  const perfAt = (ms) => ms - offset - performance.timeOrigin;

  // ---- The run ------------------------------------------------------------
  let anchor = null;       // { due, state }: the state after the tick due then
  let shown = null;        // { k, state } drawn now, k ticks after the anchor
  let timer = 0;
  const stats = { drawn: 0, lateness: [] };

  function adopt() {
    if (!anchor || offset === null) return;
    const k = Math.max(0, Math.floor((serverNow() - anchor.due) / PERIOD));
    let s = anchor.state;
    for (let i = 0; i < k; ++i) s = L.tick(s, texts.lead).state;
    shown = { k, state: s };
    draw();
    schedule();
  }

  function schedule() {
    clearTimeout(timer);
    const k = shown.k + 1;
    const due = anchor.due + k * PERIOD;
    scheduleCue(due, L.tick(shown.state, texts.lead).cue);
    const wait = perfAt(due) - performance.now();
    timer = setTimeout(() => fire(k, due), Math.max(0, wait));
  }

  function fire(k, due) {
    const late = performance.now() - perfAt(due);
    if (late < -1) { timer = setTimeout(() => fire(k, due), -late); return; }
    shown = { k, state: L.tick(shown.state, texts.lead).state };
    draw();
    stats.drawn += 1;
    stats.lateness.push(late);
    if (stats.lateness.length > 600) stats.lateness.shift();
    schedule();
  }

  // ---- Drawing ------------------------------------------------------------
  let width = 0, height = 0;
  function resize() {
    const dpr = window.devicePixelRatio || 1;
    width = window.innerWidth; height = window.innerHeight;
    canvas.width = Math.round(width * dpr); canvas.height = Math.round(height * dpr);
    canvas.style.width = width + 'px'; canvas.style.height = height + 'px';
    ctx2d.setTransform(dpr, 0, 0, dpr, 0, 0);
    if (shown) draw();
  }

  const gothic = '"IPAGothic", "MS Gothic", monospace';
  const pgothic = '"IPAPGothic", "MS PGothic", sans-serif';
  function text(str, box, font, colour, align) {
    ctx2d.font = box.fontPx + 'px ' + font;
    ctx2d.fillStyle = colour;
    ctx2d.textBaseline = 'top';
    ctx2d.textAlign = align;
    const x = align === 'right' ? box.left + box.width : align === 'center' ? box.left + box.width / 2 : box.left;
    ctx2d.fillText(str, x, box.top);
  }

  function draw() {
    const s = shown.state;
    ctx2d.fillStyle = '#000';
    ctx2d.fillRect(0, 0, width, height);
    if (s.countdown) {
      // The time left to a start at a time of day, line by line, as large as
      // the question number's place allows.
      const box = L.labels.question, lines = s.countdown.split('\n');
      let px = box.fontPx;
      ctx2d.font = px + 'px ' + pgothic;
      const widest = Math.max(...lines.map((l) => ctx2d.measureText(l).width));
      px = Math.max(6, Math.floor(Math.min(px, px * box.width / Math.max(1, widest), box.height / (lines.length * 1.2))));
      lines.forEach((l, i) => text(l, { left: box.left, top: box.top + i * px * 1.2, width: box.width, fontPx: px },
                                   pgothic, colours.yellow, 'right'));
    } else {
      text(s.question, L.labels.question, pgothic, colours.yellow, 'right');
    }
    text(texts.suffix, L.labels.suffix, pgothic, colours.yellow, 'left');
    const dots = L.dotsShown(s);
    if (s.secondsLeft && (s.sw === 1 || s.ck !== 0))
      text(texts.secondsLeft.replace('%1', s.move ? 0 : Math.max(0, s.time1 - dots)), L.labels.seconds, pgothic,
           colours.yellow, 'left');
    const g = L.grid(width, s.tamasu);
    for (let n = 1; n <= dots; ++n) {
      const d = L.dot(n, s.tamasu, g, s.fk, s.time1);
      ctx2d.beginPath();
      ctx2d.arc(d.x, d.y, Math.abs(d.r), 0, 2 * Math.PI);
      ctx2d.fillStyle = ctx2d.strokeStyle = colours[d.colour];
      ctx2d.fill();
      ctx2d.stroke();
      if (s.shapes) mark(d);
    }
    for (const [on, caption, bg] of [[s.move, s.leadText || s.message1, colours.green], [s.end, s.message2, colours.red]]) {
      const b = on && L.banner(width, s, [...caption].length);
      if (!b || b.width === 0 || b.height === 0) continue;
      ctx2d.save();
      ctx2d.fillStyle = bg;
      ctx2d.fillRect(b.left, b.top, b.width, b.height);
      ctx2d.beginPath();
      ctx2d.rect(b.left, b.top, b.width, b.height);
      ctx2d.clip();
      text(caption, b, gothic, '#000', 'center');
      ctx2d.restore();
    }
    if (band && s.cuesSeen) {
      const t = Math.max(1, Math.floor(Math.min(width, height) / 40));
      ctx2d.fillStyle = band.colour;
      ctx2d.fillRect(0, 0, width, t);
      ctx2d.fillRect(0, height - t, width, t);
      ctx2d.fillRect(0, t, t, height - 2 * t);
      ctx2d.fillRect(width - t, t, t, height - 2 * t);
    }
    // What the test driver and the benchmarks read.
    window.tavrinView = { anchor, k: shown.k, question: s.question, countdown: s.countdown || '', dots, move: s.move, end: s.end, due: anchor.due + shown.k * PERIOD, band: band ? band.player : 0, bands,
                          offset, connected: !!(socket && socket.readyState === 1), stats };
  }

  // The yellow dots' ring and the red dots' cross, in black, as the window
  // draws them when the dots are also told by shape.
  function mark(d) {
    const r = Math.abs(d.r);
    if (r < 2 || (d.colour !== 'yellow' && d.colour !== 'red')) return;
    ctx2d.save();
    ctx2d.strokeStyle = '#000';
    ctx2d.lineWidth = Math.max(1, r * 0.2);
    ctx2d.beginPath();
    if (d.colour === 'yellow') {
      ctx2d.arc(d.x, d.y, r * 0.55, 0, 2 * Math.PI);
    } else {
      const a = r * 0.5;
      ctx2d.moveTo(d.x - a, d.y - a); ctx2d.lineTo(d.x + a, d.y + a);
      ctx2d.moveTo(d.x - a, d.y + a); ctx2d.lineTo(d.x + a, d.y - a);
    }
    ctx2d.stroke();
    ctx2d.restore();
  }

  // ---- The cue's band -----------------------------------------------------
  // Along the page's edge in the cue's colour, from when the cue is heard
  // for as long as it sounds.
  const BAND_COLOURS = [null, colours.yellow, colours.green, colours.red, '#ffffff'];
  let band = null, bands = 0;
  function showBand(player, atPerf) {
    if (!player || !shown || !shown.state.cuesSeen) return;
    const length = buffers[player] ? buffers[player].duration * 1000 : 300;
    setTimeout(() => {
      band = { player, colour: BAND_COLOURS[player] };
      bands += 1;
      draw();
      setTimeout(() => { band = null; if (shown) draw(); }, Math.min(3000, length));
    }, Math.max(0, atPerf - performance.now()));
  }

  // ---- Sound --------------------------------------------------------------
  let audio = null;
  const buffers = [];
  let pending = null; // { due, player, node }
  let cueDelay = 0;    // ms after its second that the serving Tavrin sounds a cue
  function startSound() {
    if (audio) return;
    const Ctx = window.AudioContext || window.webkitAudioContext;
    if (!Ctx) return;
    audio = new Ctx({ latencyHint: 'interactive' });
    audio.resume();
    CUE_FILES.forEach((name, n) => {
      if (!name) return;
      fetch('cues/' + name).then((r) => r.arrayBuffer()).then((b) => audio.decodeAudioData(b))
        .then((buf) => { buffers[n] = buf; }).catch(() => {});
    });
    info.hint.textContent = '';
  }
  // The audio clock's time at which performance.now() reads perf, at the
  // speaker (the output timestamp already counts the output's latency).
  function audioTimeAt(perf) {
    const ts = audio.getOutputTimestamp ? audio.getOutputTimestamp() : null;
    if (ts && ts.performanceTime > 0) return ts.contextTime + (perf - ts.performanceTime) / 1000;
    return audio.currentTime + (perf - performance.now()) / 1000 - (audio.outputLatency || audio.baseLatency || 0);
  }
  function play(player, when) {
    if (!audio || !buffers[player]) return null;
    const node = audio.createBufferSource();
    node.buffer = buffers[player];
    node.connect(audio.destination);
    node.start(Math.max(audio.currentTime, when));
    if (window.tavrinCues) window.tavrinCues.push({ player, at: when, due: pending && pending.due });
    return node;
  }
  function scheduleCue(due, player) {
    // The server's grid may come back a millisecond apart: the same tick.
    // Only that tick's cue is replaced; an earlier tick's plays out (it may
    // still be due: cues sound a moment after their second).
    if (pending && Math.abs(pending.due - due) < PERIOD / 2) {
      if (pending.player === player) return;
      if (pending.node) try { pending.node.stop(); } catch (e) { /* already ended */ }
    }
    pending = { due, player, node: null };
    showBand(player, perfAt(due) + cueDelay);
    if (player && audio) pending.node = play(player, audioTimeAt(perfAt(due) + cueDelay));
  }

  // ---- The connection -----------------------------------------------------
  let socket = null, backoff = 500, asks = 0, burst = 0, askTimer = 0;
  const asked = new Map();
  function ask() {
    if (!socket || socket.readyState !== 1) return;
    const id = ++asks;
    asked.set(id, performance.now());
    if (asked.size > 8) asked.delete(asked.keys().next().value);
    socket.send(JSON.stringify({ t: 'time', id }));
    // A few at the start, then one every few seconds to follow any drift.
    askTimer = setTimeout(ask, ++burst < 6 ? 150 : 5000);
  }
  function connect() {
    const url = (location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/ws';
    socket = new WebSocket(url);
    socket.onopen = () => { backoff = 500; burst = 0; clearTimeout(askTimer); info.lost.hidden = true; ask(); };
    socket.onmessage = (e) => {
      const t3 = wall();
      let m;
      try { m = JSON.parse(e.data); } catch (err) { return; }
      if (m.t === 'time' && asked.has(m.id)) {
        addSample(performance.timeOrigin + asked.get(m.id), m.rx, m.tx, t3);
        asked.delete(m.id);
      } else if (m.t === 'hello') {
        texts = Object.assign(texts, m.texts);
        if (/^[a-z]{2}$/.test(texts.lang || '')) document.documentElement.lang = texts.lang;
        if (Number.isFinite(m.cueDelay) && m.cueDelay >= 0 && m.cueDelay <= 500) cueDelay = m.cueDelay;
        if (!audio) info.hint.textContent = texts.tap;
      } else if (m.t === 'state') {
        anchor = { due: m.due, state: m.s };
        adopt();
      } else if (m.t === 'cue') {
        showBand(m.p, performance.now());
        if (audio) play(m.p, audio.currentTime);
      }
    };
    socket.onclose = () => {
      clearTimeout(askTimer);
      info.lost.textContent = texts.lost;
      info.lost.hidden = false;
      if (shown) draw();
      setTimeout(connect, backoff * (0.75 + Math.random() / 2));
      backoff = Math.min(backoff * 2, 8000);
    };
  }

  document.addEventListener('pointerdown', () => {
    startSound();
    const el = document.documentElement;
    if (!document.fullscreenElement && el.requestFullscreen) el.requestFullscreen().catch(() => {});
  });
  window.addEventListener('resize', resize);
  resize();
  connect();
})();
