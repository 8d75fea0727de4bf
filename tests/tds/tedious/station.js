'use strict';
// A fresh station served on a free port, and tedious connections to it as
// VANTROK logs in. A script that cannot load tedious exits 77 (a skip).

const { spawn, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const readline = require('node:readline');

let tedious;
try {
    tedious = require('tedious');
} catch (e) {
    console.log(`SKIP: tedious cannot be loaded (${e.message}); ./vantrok test installs it with npm`);
    process.exit(77);
}

// The login's password, as the program has it (db/ConnectionTexts.h).
const password = 'qolvent4719ruk';

function argument(name) {
    const at = process.argv.indexOf(name);
    if (at < 0 || at + 1 >= process.argv.length) throw new Error(`missing ${name}`);
    return process.argv[at + 1];
}

async function startStation({ tool = argument('--station'), work = argument('--work'), serveArgs = [] } = {}) {
    fs.rmSync(work, { recursive: true, force: true });
    fs.mkdirSync(work, { recursive: true });
    const dir = path.join(work, 'station');
    execFileSync(tool, ['init', dir]);
    const server = spawn(tool, ['serve', dir, '--port', '0', ...serveArgs], { stdio: ['ignore', 'pipe', 'inherit'] });
    const lines = readline.createInterface({ input: server.stdout });
    const port = await new Promise((resolve, reject) => {
        server.once('exit', code => reject(new Error(`vantrok-station serve ended (${code})`)));
        lines.once('line', line => {
            const found = /^listening on 127\.0\.0\.1:(\d+)/.exec(line);
            found ? resolve(Number(found[1])) : reject(new Error(`unexpected first line: ${line}`));
        });
    });
    return {
        port,
        dir,
        stop: () => new Promise(resolve => {
            if (server.exitCode !== null) return resolve();
            server.once('exit', resolve);
            server.kill('SIGTERM');
        }),
    };
}

function connect(port, { database = 'torvane', options = {} } = {}) {
    const connection = new tedious.Connection({
        server: '127.0.0.1',
        authentication: { type: 'default', options: { userName: 'sa', password } },
        options: { port, database, encrypt: false, trustServerCertificate: true, ...options },
    });
    return new Promise((resolve, reject) => {
        connection.on('connect', err => (err ? reject(err) : resolve(connection)));
        connection.connect();
    });
}

function query(connection, sql) {
    return new Promise((resolve, reject) => {
        const rows = [];
        const request = new tedious.Request(sql, (err, rowCount) => (err ? reject(err) : resolve({ rows, rowCount })));
        request.on('row', columns => rows.push(columns.map(c => c.value)));
        connection.execSqlBatch(request);
    });
}

module.exports = { tedious, startStation, connect, query };
