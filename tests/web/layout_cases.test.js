// The page's layout and tick against the shared table (also run against the
// C++ by tst_web_layout).
const assert = require('assert');
const path = require('path');
const L = require(path.join(__dirname, '../../web/page/layout.js'));
const cases = require('./layout_cases.json');
for (const c of cases.layout) {
  const g = L.grid(c.width, c.tamasu);
  assert.deepStrictEqual([g.sukima, g.hankei], [c.sukima, c.hankei], `grid ${JSON.stringify(c)}`);
  for (const [n, x, y, r, colour] of c.dots)
    assert.deepStrictEqual(Object.values(L.dot(n, c.tamasu, g, c.fk, c.time1)), [x, y, r, colour], `dot ${n} of ${c.width}`);
  for (const [len, box] of c.banners) assert.deepStrictEqual(L.banner(c.width, c, len), box, `banner ${len} of ${c.width}`);
}
for (const t of cases.ticks) {
  let s = Object.assign({ question: '0', move: false, end: false }, t.from);
  t.after.forEach((want, i) => {
    const r = L.tick(s);
    s = r.state;
    assert.deepStrictEqual([s.sw, s.ck, s.t, s.question, s.move, s.end, L.dotsShown(s), r.cue], want, `${t.name}, tick ${i + 1}`);
  });
}
console.log('layout cases: ' + cases.layout.length + ' layouts, ' + cases.ticks.length + ' runs agree');
