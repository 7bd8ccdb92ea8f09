// The room display's layout and the one-second tick, as the window works
// them out, for the browser and for Node alike. Every number follows the
// program's own arithmetic (16-bit counts, 32-bit floats where it uses them,
// halves rounded to even), so that the page and the window agree to the pixel.
(function (root) {
  'use strict';
  const f32 = Math.fround;
  const I16_MIN = -32768, I16_MAX = 32767;

  function roundHalfEven(x) {
    const r = Math.round(x);
    return (Math.abs(x % 1) === 0.5 && r % 2 !== 0) ? r - 1 : r;
  }
  function nearestInt32(x) {
    if (Number.isNaN(x)) return 0;
    if (x <= -2147483648) return -2147483648;
    if (x >= 2147483647) return 2147483647;
    return roundHalfEven(x);
  }
  const per = (tamasu) => (tamasu < 1 ? 1 : tamasu);

  function grid(width, tamasu) {
    let pitch = Math.trunc(nearestInt32(f32(width)) / per(tamasu));
    pitch = Math.min(I16_MAX, Math.max(I16_MIN, pitch));
    return { sukima: pitch, hankei: roundHalfEven(pitch * 0.4) };
  }

  function dotColour(n, time1) {
    if (n > time1 - 4) return 'red';
    if (n > time1 - 10) return 'yellow';
    return 'green';
  }

  function dot(n, tamasu, g, fk, time1) {
    const p = per(tamasu);
    const column = (n - 1) % p, row = Math.trunc((n - 1) / p);
    return {
      x: f32(column * g.sukima + g.sukima / 2),
      y: f32(f32(f32(row * g.sukima) + f32(80 * f32(fk))) + g.hankei),
      r: f32(g.hankei),
      colour: dotColour(n, time1),
    };
  }

  function bannerFontSize(width, fk) {
    const factor = nearestInt32(f32(fk));
    if (factor === 0) return 0;
    return f32(Math.trunc(Math.trunc(nearestInt32(f32(width)) / 15) / factor));
  }

  function wholePixels(v) {
    if (!Number.isFinite(v)) return 0;
    const c = Math.min(1e6, Math.max(-1e6, v));
    return Math.sign(c) * Math.round(Math.abs(c)); // halves away from zero
  }

  // The banner's box in whole pixels, and its font in pixels; null when the
  // page is too narrow for one. length counts characters (code points).
  function banner(width, s, length) {
    const size = bannerFontSize(width, s.fk);
    if (size <= 0) return null;
    const fk = f32(s.fk);
    const bw = f32(length * size * 1.4 * fk);
    const bh = f32(size * 1.4 * fk);
    const g = grid(width, s.tamasu);
    const rows = Math.trunc((per(s.tamasu) - 1 + s.time1) / per(s.tamasu));
    const top = f32(f32(rows * g.sukima) + f32(120 * fk));
    const left = f32((f32(width) - bw) / 2);
    return { left: wholePixels(left), top: wholePixels(top), width: Math.max(0, wholePixels(bw)),
             height: Math.max(0, wholePixels(bh)), fontPx: pointsToPixels(size) };
  }

  function pointsToPixels(points) { return Math.max(1, Math.round(points * 96 / 72)); }

  // The question number, its suffix and the seconds left stand where the
  // window has them, whatever the width (1 px = 15 twips).
  const px = (twips) => Math.round(twips / 15);
  const labels = {
    question: { left: px(240), top: px(120), width: px(1065), height: px(915), fontPx: pointsToPixels(48) },
    suffix: { left: px(1395), top: px(285), width: px(1515), height: px(795), fontPx: pointsToPixels(36) },
  };
  labels.seconds = { left: labels.suffix.left + labels.suffix.width + Math.trunc(labels.suffix.height / 2),
                     top: labels.suffix.top, width: 8 * labels.suffix.height, height: labels.suffix.height,
                     fontPx: labels.suffix.fontPx };

  // The dots shown after the ticks so far: those of the question's seconds
  // until now, all of them through its move time, none outside a run.
  function dotsShown(s) {
    if (s.ck === 0) return 0;
    return Math.max(0, Math.min(s.t - 1, s.time1));
  }

  // One tick of the one-second clock: the state it leaves, and the player
  // it starts (0: none). Mirrors the engine's Timer1_Timer.
  // A programme's part entered: its block's times (a break takes the next
  // block's), its first question, and its reading time or break to count.
  function enterPart(n, i) {
    n.part = i;
    const p = n.plan[i];
    const block = n.plan.slice(i).find((q) => !('break' in q));
    if (block) { n.time1 = block.answer; n.time2 = block.move; n.cycle = block.questions; }
    if (n.cycle < 1) n.cycle = 1;
    n.ck = 1;
    const leads = 'break' in p || (p.reading || 0) > 0;
    n.lead = leads ? 1 : 0;
    n.t = leads ? 0 : 1;
  }
  function leadText(format, banner, left) {
    return format.replace('%1', banner).replace('%2', String(Math.trunc(left / 60)))
      .replace('%3', String(left % 60).padStart(2, '0'));
  }

  function tick(s, format) {
    const n = Object.assign({}, s);
    let cue = 0;
    let partOver = false;
    const end = () => {
      n.move = false; n.end = true; cue = 3;
      n.sw = 0; n.t = 0; n.ck = 0;
      if (n.plan) { n.part = 0; n.lead = 0; n.leadText = ''; }
    };
    const p = n.plan && n.plan[n.part];
    const isBreak = !!p && 'break' in p;
    if (n.sw === 1 && p && (isBreak || n.lead > 0)) {
      // Reading time or a break: a banner and its countdown, no dots.
      const length = isBreak ? p.break : p.reading;
      if (n.lead === 1) n.question = isBreak ? '' : String(n.ck);
      n.leadText = leadText(format || '%1 %2:%3', isBreak ? p.banner : p.readingBanner, length - n.lead + 1);
      n.move = true;
      if (n.lead < length) n.lead += 1;
      else {
        n.lead = 0;
        if (isBreak) partOver = true;
        else { n.t = 1; if (p.readingCue) cue = 4; }
      }
    } else if (n.sw === 1) {
      if (n.leadText) { n.leadText = ''; n.move = false; }
      if (n.t === 1) { n.move = false; n.question = String(n.ck); }
      if (n.t > n.time1) n.move = true;
      else if (n.t === n.time1) cue = 2;
      else if (n.t > n.time1 - 4) cue = 1;
      const next = n.t + 1;
      if (next > I16_MAX || next > n.time1 + n.time2) {
        n.t = 1;
        if (n.ck === I16_MAX) end();
        else n.ck += 1;
      } else {
        n.t = next;
      }
      if (p && n.t === 1 && n.ck <= n.cycle && (p.reading || 0) > 0) { n.lead = 1; n.t = 0; }
    }
    if (partOver || n.ck > n.cycle) {
      const next = n.plan ? n.plan.findIndex((q, i) => i > n.part) : -1;
      if (next >= 0) enterPart(n, next);
      else end();
    }
    return { state: n, cue };
  }

  const api = { roundHalfEven, nearestInt32, grid, dot, dotColour, bannerFontSize, banner, labels,
                pointsToPixels, dotsShown, tick };
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
  else root.TavrinLayout = api;
})(this);
