// What the laboratory gives for a lab report: the run's samples as the CSV
// that antenne-export labo writes (the model's very bytes), and the curves
// as a PNG picture with the set-up written under them.
function download(blob, name) {
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

// The two charts one above the other on white, with their titles, the
// legend's colours and names, and the set-up's summary.
export async function exportPicture(canvases, legends, titles, summary, name) {
  const ratio = canvases[0].width / canvases[0].getBoundingClientRect().width || 1;
  const margin = 12 * ratio;
  const line = 16 * ratio;
  const width = Math.max(...canvases.map((c) => c.width)) + 2 * margin;
  const legendHeight = legends.map((l) => Math.ceil(l.length / 3) * line);
  const height = canvases.reduce((h, c, i) => h + c.height + 2 * line + legendHeight[i], 0) + 3 * line + margin;
  const picture = document.createElement('canvas');
  picture.width = Math.round(width);
  picture.height = Math.round(height);
  const g = picture.getContext('2d');
  g.fillStyle = '#fff';
  g.fillRect(0, 0, picture.width, picture.height);
  g.fillStyle = '#000';
  g.textBaseline = 'top';
  let y = margin;
  g.font = `bold ${11 * ratio}px "Liberation Sans", Arial, sans-serif`;
  g.fillText('Antenne — laboratoire', margin, y);
  y += line;
  g.font = `${9 * ratio}px "Liberation Sans", Arial, sans-serif`;
  g.fillText(summary, margin, y);
  y += 2 * line;
  canvases.forEach((canvas, i) => {
    g.font = `bold ${9 * ratio}px "Liberation Sans", Arial, sans-serif`;
    g.fillStyle = '#000';
    g.fillText(titles[i], margin, y);
    y += line;
    g.drawImage(canvas, margin, y);
    y += canvas.height;
    g.font = `${8 * ratio}px "Liberation Sans", Arial, sans-serif`;
    legends[i].forEach((entry, k) => {
      const x = margin + (k % 3) * ((width - 2 * margin) / 3);
      const at = y + Math.floor(k / 3) * line + line / 4;
      g.fillStyle = entry.stroke;
      g.fillRect(x, at + 4 * ratio, 14 * ratio, 3 * ratio);
      g.fillStyle = '#000';
      g.fillText(entry.label, x + 18 * ratio, at);
    });
    y += legendHeight[i] + line;
  });
  const blob = await new Promise((resolve) => picture.toBlob(resolve, 'image/png'));
  download(blob, name);
}
