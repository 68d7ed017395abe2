// The live area of the Kestrune window, kept up to date from the program's
// event stream (/events):
//   layout   the boxes: containers, captions and edit boxes with their
//            places and fonts (once per connection);
//   state    each box's text, colour, visibility, left and width;
//   marquee  the scrolling caption's motion: the page moves it itself, one
//            pixel per period, from the left of the last sync (the program
//            syncs once a second and at every jump).
// While the program is not there the page shows nothing, and it connects
// again by itself, so a program started again appears without a reload.
'use strict';
(() => {
  const stage = document.getElementById('stage');
  // With ?trace in the address the page notes when each state reached the
  // screen: window.kestruneTrace holds [seq, milliseconds since the epoch].
  const trace = new URLSearchParams(location.search).has('trace') ? (window.kestruneTrace = []) : null;

  // The Windows faces, then the fonts that stand in for them on Linux.
  const defaultFaces = '"SimSun", "宋体", "AR PL UMing CN", serif';
  const faces = {
    '微软雅黑': '"Microsoft YaHei", "微软雅黑", "Noto Sans CJK SC", sans-serif',
    '楷体': '"KaiTi", "楷体", "AR PL UKai CN", serif',
    '宋体': defaultFaces,
  };
  // A marquee without news moves on for this long, then waits.
  const longestGuess = 2000;

  let area = { width: 0, height: 0 };
  let boxes = [];  // {element, text}
  let marquee = null;  // the last sync, with the time it came
  let frame = 0;

  const px = (n) => `${n}px`;

  function fit() {
    if (!area.width || !area.height) return;
    const scale = Math.min(innerWidth / area.width, innerHeight / area.height);
    const x = (innerWidth - area.width * scale) / 2;
    stage.style.transform = `translate(${x}px, 0) scale(${scale})`;
  }

  function build(layout) {
    marquee = null;
    area = layout;
    stage.replaceChildren();
    stage.style.width = px(layout.width);
    stage.style.height = px(layout.height);
    boxes = layout.boxes.map((b) => {
      const element = document.createElement('div');
      element.className = ['box', b.kind, b.middle ? 'middle' : '', b.align].join(' ');
      element.dataset.name = b.name;
      Object.assign(element.style, {
        left: px(b.left), top: px(b.top), width: px(b.width), height: px(b.height),
      });
      let text = null;
      if (b.kind !== 'container') {
        element.style.fontFamily = faces[b.face] || (b.face ? `"${b.face}", ${defaultFaces}` : defaultFaces);
        if (b.size > 0) element.style.fontSize = px(b.size);
        element.style.fontWeight = b.bold ? '700' : '400';
        text = document.createElement('span');
        text.className = 'text';
        element.append(text);
      }
      const parent = b.parent >= 0 ? layout.boxes[b.parent].element : stage;
      b.element = element;
      parent.append(element);
      return { element, text };
    });
    stage.hidden = false;
    fit();
  }

  function apply(state) {
    document.documentElement.style.setProperty('--background', state.background || 'transparent');
    state.boxes.forEach((s, i) => {
      const box = boxes[i];
      if (!box) return;
      if (box.text) {
        box.text.textContent = s.text.replace(/\r\n/g, '\n');
        box.element.style.color = s.colour || '';
      }
      box.element.classList.toggle('hidden', !s.visible);
      box.element.style.width = px(s.width);
      // A running marquee's left is the page's own.
      if (!(marquee && marquee.running && marquee.box === i)) box.element.style.left = px(s.left);
    });
    if (trace) requestAnimationFrame(() => setTimeout(() => trace.push([state.seq, performance.timeOrigin + performance.now()])));
  }

  function move(now) {
    frame = 0;
    if (!marquee || !marquee.running || !boxes[marquee.box]) return;
    const ticks = Math.floor(Math.min(now - marquee.at, longestGuess) / marquee.period);
    boxes[marquee.box].element.style.left = px(marquee.left - ticks);
    frame = requestAnimationFrame(move);
  }

  function sync(motion) {
    marquee = { ...motion, at: performance.now() };
    if (boxes[motion.box]) boxes[motion.box].element.style.left = px(motion.left);
    if (motion.running && motion.period > 0 && !frame) frame = requestAnimationFrame(move);
  }

  function connect() {
    const events = new EventSource('/events');
    const on = (name, handle) => events.addEventListener(name, (e) => handle(JSON.parse(e.data)));
    on('layout', build);
    on('state', apply);
    on('marquee', sync);
    events.addEventListener('error', () => {
      stage.hidden = true;
      marquee = null;
      // The browser tries again by itself unless it gave up.
      if (events.readyState !== EventSource.CLOSED) return;
      events.close();
      setTimeout(connect, 1000);
    });
  }

  addEventListener('resize', fit);
  stage.hidden = true;
  connect();
})();
