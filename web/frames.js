// The bytes antenne-export embeds in the page: zlib streams in base64,
// inflated by the browser, and the pictures' change lists inside them.
// The frames' bytes, as antenne-export wrote them: a zlib stream, in base64.
export async function inflate(base64) {
  const text = atob(base64.replace(/\s+/g, ''));
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// Reads the bytes antenne-export wrote (see PageFrames there): varints, a
// palette, and change lists, each the runs of pixels that differ from the
// picture before.
export function reader(bytes) {
  let at = 0;
  function varint() {
    let value = 0;
    let shift = 0;
    let byte;
    do {
      byte = bytes[at++];
      value += (byte & 0x7f) * 2 ** shift;
      shift += 7;
    } while (byte & 0x80);
    return value;
  }
  return {
    atEnd: () => at === bytes.length,
    // The palette, as canvas pixels: bytes in R, G, B, A order, written
    // four at a time as one 32-bit number, in the machine's byte order.
    palette() {
      const littleEndian = new Uint8Array(new Uint32Array([1]).buffer)[0] === 1;
      const colours = new Uint32Array(varint());
      for (let i = 0; i < colours.length; ++i, at += 3) {
        const [r, g, b] = [bytes[at], bytes[at + 1], bytes[at + 2]];
        colours[i] = littleEndian ? ((0xff << 24) | (b << 16) | (g << 8) | r) >>> 0
                                  : ((r << 24) | (g << 16) | (b << 8) | 0xff) >>> 0;
      }
      return colours;
    },
    // Moves past the next change list and tells where it started.
    skip() {
      const start = at;
      for (let runs = varint(); runs > 0; --runs) {
        varint();
        const length = varint();  // read first: varint() moves `at`
        at += length;
      }
      return start;
    },
    // Applies the change list that starts at `start` to pixels.
    apply(start, pixels, palette) {
      at = start;
      let pixel = 0;
      for (let runs = varint(); runs > 0; --runs) {
        pixel += varint();
        for (let end = pixel + varint(); pixel < end; ++pixel) pixels[pixel] = palette[bytes[at++]];
      }
    },
  };
}

export function documentRead() {
  return new Promise((resolve) => {
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', resolve, { once: true });
    else resolve();
  });
}
