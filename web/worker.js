// The program, or the table converter, in a worker of its own, one run per worker as one run per
// process (the table converter's worker is this code with its module): the page starts a
// worker, hands it the compiled module and then the chosen file, and receives progress, the console's
// bytes, wyniki.txt and, at the end, the exit status with the number of result lines and the console's
// last bytes (where the program's count of lines read is). Put before the program's module
// (emscripten's code, with the WebAssembly in it) in one script.
//
// The program's files are devices of the worker's file system:
//   /work/dane.txt    reads the chosen File as the program asks for it, kReadAhead bytes at a time, so
//                     that a file is never copied whole into memory;
//   /work/wyniki.txt  gathers what the program writes in blocks, each handed to the page as it fills;
//   standard output and error: the console's bytes, passed to the page in pieces as they come.
"use strict";

let chosen = null;              // the File being converted
let lastReport = 0;             // time of the last progress message, ms
const kReportInterval = 100;    // ms between progress messages
const kDeviceMajor = 64;        // the devices' major number; their minor numbers are 0, 1 and 2

// Each read of the File from a worker is a round trip to the browser: costly enough that, done for
// each of the program's own 128 KiB reads, it took most of a run. So it is read ahead in large windows.
const kReadAhead = 1 << 25;     // bytes
const reader = new FileReaderSync();
let readAhead = { start: 0, bytes: new Uint8Array(0) };
// What the program's C library calls a failed read (EIO): a file that cannot be read any further, as
// one changed on disk while it was being read, is a read error to the program, which says so in its
// own words and keeps what it converted.
const kInputOutputError = 29;

// The results in blocks of kResultBlock bytes, each transferred to the page (not copied) when it fills:
// making a Blob of them copies the bytes to the browser, about as costly as reading them, which the
// page does while this worker goes on.
const kResultBlock = 1 << 24;   // bytes
let results = new Uint8Array(kResultBlock);
let resultsLength = 0;
let resultLines = 0;            // lines of the results handed to the page so far

// The console's last bytes, kept for the page: the program's last line says how many lines it read.
const kConsoleTail = 4096;
let consoleTail = new Uint8Array(0);

let consoleBytes = new Uint8Array(1 << 16);
let consoleLength = 0;

function sendConsole() {
  if (consoleLength > 0) {
    postMessage({ kind: "console", bytes: consoleBytes.slice(0, consoleLength) });
    consoleLength = 0;
  }
}

// The LFs in the first `length` bytes: a plain loop, in a function of its own over an array it is
// handed, which the engine compiles well (the same loop over the worker's own variable took some 0.1 s
// of a million-line run).
function lineEnds(bytes, length) {
  let count = 0;
  for (let i = 0; i < length; i++) {
    if (bytes[i] === 10) {
      count++;
    }
  }
  return count;
}

function sendResults() {
  if (resultsLength > 0) {
    resultLines += lineEnds(results, resultsLength);
    postMessage({ kind: "results", bytes: results, length: resultsLength }, [results.buffer]);
    results = new Uint8Array(kResultBlock);
    resultsLength = 0;
  }
}

function reportProgress(read, force) {
  const now = performance.now();
  if (force || now - lastReport >= kReportInterval) {
    lastReport = now;
    sendConsole();
    postMessage({ kind: "progress", read: read, size: chosen.size });
  }
}

const inputDevice = {
  read(stream, buffer, offset, length, position) {
    if (position < readAhead.start || position >= readAhead.start + readAhead.bytes.length) {
      const end = Math.min(position + kReadAhead, chosen.size);
      let bytes;
      try {
        bytes = position < end ? reader.readAsArrayBuffer(chosen.slice(position, end)) : new ArrayBuffer(0);
      } catch (error) {
        throw new FS.ErrnoError(kInputOutputError);
      }
      readAhead = { start: position, bytes: new Uint8Array(bytes) };
    }
    const bytes = readAhead.bytes.subarray(position - readAhead.start, position - readAhead.start + length);
    buffer.set(bytes, offset);
    reportProgress(position + bytes.length, false);
    return bytes.length;
  },
};

const resultsDevice = {
  write(stream, buffer, offset, length) {
    for (let written = 0; written < length;) {
      const count = Math.min(length - written, kResultBlock - resultsLength);
      results.set(buffer.subarray(offset + written, offset + written + count), resultsLength);
      resultsLength += count;
      written += count;
      if (resultsLength === kResultBlock) {
        sendResults();
      }
    }
    return length;
  },
};

const consoleDevice = {
  write(stream, buffer, offset, length) {
    if (consoleLength + length > consoleBytes.length) {
      const grown = new Uint8Array(Math.max(2 * consoleBytes.length, consoleLength + length));
      grown.set(consoleBytes.subarray(0, consoleLength));
      consoleBytes = grown;
    }
    const piece = buffer.subarray(offset, offset + length);
    consoleBytes.set(piece, consoleLength);
    consoleLength += length;
    const tail = new Uint8Array(Math.min(kConsoleTail, consoleTail.length + length));
    const kept = tail.length - Math.min(length, tail.length);
    tail.set(consoleTail.subarray(consoleTail.length - kept), 0);
    tail.set(piece.subarray(piece.length - (tail.length - kept)), kept);
    consoleTail = tail;
    return length;
  },
};

// Makes the devices and puts the console on descriptors 1 and 2 (the standard streams are made first,
// so that they take descriptors 0 to 2; 1 and 2, closed, are the first free ones again).
function setUpFiles() {
  FS.init();
  FS.mkdir("/work");
  FS.chdir("/work");
  const devices = [["/work/dane.txt", inputDevice], ["/work/wyniki.txt", resultsDevice], ["/dev/zelmor-console", consoleDevice]];
  devices.forEach(([path, operations], minor) => {
    const device = FS.makedev(kDeviceMajor, minor);
    FS.registerDevice(device, operations);
    FS.mkdev(path, device);
  });
  FS.close(FS.getStream(1));
  FS.close(FS.getStream(2));
  FS.open("/dev/zelmor-console", "w");
  FS.open("/dev/zelmor-console", "w");
}

// The table converter's command line: the chosen file by its own name (so that its messages name it as
// they do on a computer), read through the input device, and its table written to the results device.
function tableArguments(name) {
  const usable = /^[^/\\\0]+$/.test(name) && ![".", "..", "dane.txt", "wyniki.txt"].includes(name);
  const path = usable ? name : "tabela.csv";
  FS.mkdev("/work/" + path, FS.makedev(kDeviceMajor, 0));
  return [path, "-o", "wyniki.txt"];
}

function finish(status) {
  sendResults();
  reportProgress(chosen.size, true);
  postMessage({ kind: "done", status: status, resultLines: resultLines, consoleTail: consoleTail });
}

// The compiled module, shared by the workers of a page: the first worker compiles it and hands it to
// the page, which hands it to every later worker (null to the first).
let receiveModule;
const sharedModule = new Promise((resolve) => {
  receiveModule = resolve;
});

function instantiateWasm(imports, receive) {
  sharedModule
    .then((compiled) => compiled || WebAssembly.compile(tryParseAsDataURI(wasmBinaryFile)).then((made) => {
      postMessage({ kind: "compiled", module: made });
      return made;
    }))
    .then((compiled) => WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled)))
    .catch((error) => postMessage({ kind: "failed", message: String(error) }));
  return {};
}

// The module would first try to fetch its own WebAssembly from the data: address it is kept in, which
// the page's policy refuses (no address may be reached); with the module compiled here, it never does.
var Module = {
  instantiateWasm,
  noInitialRun: true,
  preRun: [setUpFiles],
  print() {},
  printErr() {},
  onRuntimeInitialized() {
    postMessage({ kind: "ready" });
  },
  onExit: finish,
};

self.onmessage = (event) => {
  if (event.data.kind === "module") {
    receiveModule(event.data.module);
    return;
  }
  chosen = event.data.file;
  try {
    Module.callMain(event.data.table ? tableArguments(chosen.name) : []);
  } catch (error) {
    postMessage({ kind: "failed", message: String(error) });
  }
};
