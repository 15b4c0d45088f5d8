// A small static server for the built page: GET and HEAD of the files in one
// folder, with the types a browser needs (application/wasm above all).
//   PORT=8080 HOST=127.0.0.1 node serve.mjs [FOLDER]
// PORT=0 takes any free port. The first line printed is the page's address.
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, resolve, sep } from 'node:path';

const folder = resolve(process.argv[2] || 'site');
const port = Number(process.env.PORT ?? 8080);
const host = process.env.HOST || '127.0.0.1';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.book': 'text/plain; charset=utf-8',
};

const server = createServer((request, response) => {
  if (request.method !== 'GET' && request.method !== 'HEAD') {
    response.writeHead(405).end();
    return;
  }
  let path;
  try {
    path = decodeURIComponent(new URL(request.url, 'http://page').pathname);
  } catch {
    response.writeHead(400).end();
    return;
  }
  if (path.endsWith('/')) path += 'index.html';
  const file = resolve(join(folder, path));
  let size = -1;
  try {
    if (file.startsWith(folder + sep)) size = statSync(file).isFile() ? statSync(file).size : -1;
  } catch {
    size = -1;
  }
  if (size < 0) {
    response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
    return;
  }
  response.writeHead(200, {
    'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
    'Content-Length': size,
    'Cache-Control': 'no-cache',
  });
  if (request.method === 'HEAD') response.end();
  else createReadStream(file).pipe(response);
});

server.listen(port, host, () => {
  const shown = host === '127.0.0.1' || host === '0.0.0.0' || host === '::' ? 'localhost' : host;
  console.log(`Tavrin is served at http://${shown}:${server.address().port}/ (Ctrl-C stops it)`);
});
