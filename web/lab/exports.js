// What the laboratory gives for a lab report: the run's samples as the CSV
// that antenne-export labo writes (the model's very bytes), and the curves
// as a PNG picture with the set-up written under them.
export function download(blob, name) {
  const address = URL.createObjectURL(blob);
  const link = document.createElement('a');
  link.href = address;
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(address), 1000);
}

export function exportCsv(bytes, name) {
  download(new Blob([bytes], { type: 'text/csv;charset=utf-8' }), name);
}

// A text cut into lines no wider than `width`, between words.
function wrap(g, text, width) {
  const lines = [];
  let current = '';
  for (const word of text.split(' ')) {
    const tried = current ? `${current} ${word}` : word;
    if (current && g.measureText(tried).width > width) {
      lines.push(current);
      current = word;
    } else {
      current = tried;
    }
  }
  if (current) lines.push(current);
  return lines;
}

// The two charts one above the other on white, with their titles, the
// legend's colours and names, and the set-up's summary. Texts wider than
// the picture, a phone's narrow charts or a kept run's long legend, go on
// to the next line rather than off the edge.
export async function exportPicture(canvases, legends, titles, summary, name) {
  const ratio = canvases[0].width / canvases[0].getBoundingClientRect().width || 1;
  const margin = 12 * ratio;
  const line = 16 * ratio;
  const width = Math.max(...canvases.map((c) => c.width)) + 2 * margin;
  const inner = width - 2 * margin;
  const font = (size, bold = false) => `${bold ? 'bold ' : ''}${size * ratio}px "Liberation Sans", Arial, sans-serif`;
  const swatch = 18 * ratio;

  // Where everything goes, worked out before the picture's height is known.
  const measure = document.createElement('canvas').getContext('2d');
  const texts = [];  // [font, text, x, y]
  const swatches = [];  // [colour, x, y]
  let y = margin;
  const paragraph = (size, bold, text) => {
    measure.font = font(size, bold);
    for (const part of wrap(measure, text, inner)) {
      texts.push([font(size, bold), part, margin, y]);
      y += line;
    }
  };
  paragraph(11, true, 'Antenne — laboratoire');
  paragraph(9, false, summary);
  y += line;
  const charts = [];
  canvases.forEach((canvas, i) => {
    paragraph(9, true, titles[i]);
    charts.push([canvas, y]);
    y += canvas.height + line / 4;
    // Three entries a row where they fit, else as many as do; an entry
    // wider than the picture on lines of its own.
    measure.font = font(8);
    let x = margin;
    const column = inner / 3;
    for (const entry of legends[i]) {
      const lines = wrap(measure, entry.label, inner - swatch);
      const wide = Math.max(...lines.map((l) => measure.measureText(l).width)) + swatch;
      const span = Math.ceil(wide / column) * column;
      if (x > margin && x + span > margin + inner + 1) {
        x = margin;
        y += line;
      }
      swatches.push([entry.stroke, x, y]);
      lines.forEach((l, k) => texts.push([font(8), l, x + swatch, y + k * line]));
      y += (lines.length - 1) * line;
      x += span;
    }
    y += 2 * line;
  });

  const picture = document.createElement('canvas');
  picture.width = Math.round(width);
  picture.height = Math.round(y + margin);
  const g = picture.getContext('2d');
  g.fillStyle = '#fff';
  g.fillRect(0, 0, picture.width, picture.height);
  g.textBaseline = 'top';
  for (const [canvas, at] of charts) g.drawImage(canvas, margin, at);
  for (const [colour, x, at] of swatches) {
    g.fillStyle = colour;
    g.fillRect(x, at + 4 * ratio, 14 * ratio, 3 * ratio);
  }
  g.fillStyle = '#000';
  for (const [f, text, x, at] of texts) {
    g.font = f;
    g.fillText(text, x, at);
  }
  const blob = await new Promise((resolve) => picture.toBlob(resolve, 'image/png'));
  download(blob, name);
}
