// The page's own part: it chooses the file, runs the program in a worker, shows how it goes and what the
// program said, and saves the program's two outputs. Put into page.html's last script, after its words
// (page_words.js).
"use strict";

const kShownConsoleBytes = 1 << 20;  // console bytes shown on the page (some 20 000 lines); all are saved
const kStartDeadline = 20000;        // ms the program may take to start before the page gives up on it
let language = "pl";
let status = { key: "" };            // what the status line says, in either language

const $ = (id) => document.getElementById(id);

// `value` as the page's language writes numbers ("1 600 000" and "0,04" in Polish), with `decimals`.
function number(value, decimals = 0) {
  return new Intl.NumberFormat(language === "pl" ? "pl-PL" : "en-GB",
                               { minimumFractionDigits: decimals, maximumFractionDigits: decimals }).format(value);
}

function showStatus() {
  const w = words[language];
  let text = status.key ? w[status.key] : "";
  if (status.key === "done" && status.table) {
    text = w.table(number(status.seconds, 2), status.exit);
  } else if (status.key === "done" && status.exit === 0) {
    const read = status.read === null ? null
      : { count: status.read, text: number(status.read), rejected: number(status.read - status.converted) };
    text = w.done(number(status.seconds, 2), read, number(status.converted));
  } else if (status.key === "done") {
    text = w.error(number(status.seconds, 2), number(status.converted));
  }
  $("status").textContent = text;
  $("save").textContent = status.table ? w.saveTable : $("save").dataset[language];
  $("status-detail").textContent = status.key === "failed" ? w.browserSaid + status.message : "";
}

function setLanguage(chosen) {
  language = chosen;
  document.documentElement.lang = chosen;
  for (const element of document.querySelectorAll("[data-pl]")) {
    element.textContent = element.dataset[chosen];
  }
  showStatus();
  consoleShown.show();
}

// One worker per run, as one process per run: the program's for a file of points, the table converter's
// for a table. The next of each kind is started as soon as one run ends, so that it is ready by the time
// the next file is chosen.
const workerUrls = {
  program: URL.createObjectURL(new Blob([$("worker-source").textContent], { type: "text/javascript" })),
  table: URL.createObjectURL(new Blob([$("table-worker-source").textContent], { type: "text/javascript" })),
};
// Each kind's WebAssembly, compiled by its first worker, for every other.
const compiledModules = { program: null, table: null };

// A table by its name's ending (a spreadsheet's or QGIS's CSV export, a tab-separated file), or by its
// start: a file of points for the program has lines that start with a tag, W or P, and a blank, and a
// listing of points (101 459309.21 500000.00) or any other table does not. An empty file is the program's.
const kKindSample = 1 << 16;  // bytes of a file looked at to tell its kind
async function kindOf(file) {
  if (/\.(csv|tsv)$/i.test(file.name)) {
    return "table";
  }
  const start = await file.slice(0, kKindSample).text();
  return /(^|[\r\n])[ \t]*[WP][ \t]/.test(start) || start.trim() === "" ? "program" : "table";
}

// The name a converted table is saved under: the table's own, with "_zelmor" before its ending.
function tableResultName(name) {
  const dot = name.lastIndexOf(".");
  return dot > 0 ? `${name.slice(0, dot)}_zelmor${name.slice(dot)}` : `${name}_zelmor.csv`;
}

// A new worker, once its module is ready to run the program; refused with what went wrong when the
// program cannot start there (a browser that refuses its WebAssembly, a worker that fails), or does not
// within kStartDeadline.
function readyWorker(kind) {
  const worker = new Worker(workerUrls[kind]);
  worker.postMessage({ kind: "module", module: compiledModules[kind] });
  return new Promise((resolve, reject) => {
    const fail = (message) => {
      worker.terminate();
      reject(new Error(message));
    };
    const deadline = setTimeout(() => fail(`no answer in ${kStartDeadline / 1000} s`), kStartDeadline);
    worker.onmessage = (event) => {
      if (event.data.kind === "compiled") {
        compiledModules[kind] = event.data.module;
      } else if (event.data.kind === "ready") {
        clearTimeout(deadline);
        resolve(worker);
      } else if (event.data.kind === "failed") {
        clearTimeout(deadline);
        fail(event.data.message);
      }
    };
    worker.onerror = (event) => {
      clearTimeout(deadline);
      event.preventDefault();
      fail(event.message || "the worker failed");
    };
  });
}

// The next run's worker of each kind, being readied (null while a run has it), and the run going on.
const spares = { program: null, table: null };
let current = null;     // the worker of the run going on, or null
let currentKind = "";   // its kind
let runs = 0;           // runs begun: one whose number is not the last was replaced by a later file
let busy = false;       // a run has begun and not ended

function readySpare(kind) {
  spares[kind] = readyWorker(kind);
  spares[kind].catch(() => {});  // heard when a file is chosen
}
readySpare("program");
readySpare("table");

// What the two save buttons save: the parts of a file, as Blobs, which the browser keeps (in memory or
// on disk) apart from the page; they become one Blob, without a copy, when the file is first saved.
const saved = { "save": { name: "wyniki.txt", parts: [], url: "" },
                "save-console": { name: "komunikaty.txt", parts: [], url: "" } };

function save(id) {
  const file = saved[id];
  if (!file.url) {
    file.url = URL.createObjectURL(new Blob(file.parts, { type: "text/plain" }));  // refers to the parts
    file.parts = [];
  }
  const link = document.createElement("a");
  link.href = file.url;
  link.download = file.name;
  link.click();
}

function clearSaved() {
  for (const [id, file] of Object.entries(saved)) {
    if (file.url) {
      URL.revokeObjectURL(file.url);
    }
    Object.assign(file, { parts: [], url: "" });
    $(id).disabled = true;
  }
}

// The console text as it comes: all of it kept as Blobs for saving, its first kShownConsoleBytes also as
// bytes, shown once the run has ended (shown as it came, it took the page more time to lay out than the
// program took to write it), up to the last whole line, with a note when there is more.
function consoleText() {
  const shown = new Uint8Array(kShownConsoleBytes);
  let length = 0;
  let all = true;
  return {
    add(bytes) {
      saved["save-console"].parts.push(new Blob([bytes]));
      const piece = bytes.subarray(0, kShownConsoleBytes - length);
      shown.set(piece, length);
      length += piece.length;
      all = all && piece.length === bytes.length;
    },
    show() {
      const whole = all ? length : shown.subarray(0, length).lastIndexOf(10) + 1;
      $("console").textContent = new TextDecoder().decode(shown.subarray(0, whole)) + (all ? "" : words[language].cut);
    },
  };
}
let consoleShown = { show() {} };

// The end of a run: its worker goes, a new one starts for the next file, and the page says how it went.
function finishRun(worker, started, text, message) {
  if (worker !== null) {
    worker.terminate();
  }
  current = null;
  busy = false;
  const table = currentKind === "table";
  readySpare(currentKind);  // only now: its start would take time from this run
  const seconds = (performance.now() - started) / 1000;
  if (message.kind === "done") {
    const summary = /Wczytano (\d+) wierszy z pliku/.exec(new TextDecoder().decode(message.consoleTail));
    status = { key: "done", seconds, exit: message.status, converted: message.resultLines, table,
               read: summary ? Number(summary[1]) : null };
    $("progress").value = 1;
    // A table that could not be converted has nothing to save: nothing was written.
    $("save").disabled = table && message.status === 2;
  } else {
    status = { key: "failed", message: message.message };
  }
  consoleShown = text;
  showStatus();
  text.show();
  $("save-console").disabled = message.kind !== "done";
  document.body.dataset.seconds = seconds.toFixed(2);
  document.body.dataset.exitStatus = message.kind === "done" ? message.status : "";
  document.body.dataset.state = message.kind === "done" ? "done" : "failed";
}

// Converts `file`. A file chosen while another converts stops that run (its worker goes, with all it
// had) and converts the new one, saying so.
async function convert(file) {
  if (!file) {
    return;
  }
  const run = ++runs;
  const restarted = busy;
  busy = true;
  if (current !== null) {
    current.terminate();
    current = null;
    readySpare(currentKind);
  }
  let kind;
  try {
    kind = await kindOf(file);
  } catch (error) {
    kind = "program";  // a file that cannot be read: the program says so in its own words
  }
  if (run !== runs) {
    return;  // a later file came meanwhile
  }
  currentKind = kind;
  const started = performance.now();
  clearSaved();
  $("console").textContent = "";
  $("progress").value = 0;
  status = { key: restarted ? "restarted" : "reading", table: kind === "table" };
  saved["save"].name = kind === "table" ? tableResultName(file.name) : "wyniki.txt";
  showStatus();
  document.body.dataset.state = "running";
  let worker;
  try {
    worker = await spares[kind];
  } catch (error) {
    if (run === runs) {
      finishRun(null, started, consoleText(), { kind: "failed", message: error.message });
    }
    return;
  }
  if (run !== runs) {
    return;  // a later file came while this one's worker was starting, and takes that worker
  }
  spares[kind] = null;
  current = worker;
  const text = consoleText();
  worker.onmessage = (event) => {
    const message = event.data;
    if (current !== worker) {
      return;  // a run replaced by a later file: what it still had to say is not heard
    }
    if (message.kind === "progress") {
      $("progress").value = message.size > 0 ? message.read / message.size : 1;
    } else if (message.kind === "results") {
      // Made into a Blob here, while the worker goes on: the copy to the browser then costs the run nothing,
      // and the block itself is let go, so that the results are held once.
      saved["save"].parts.push(new Blob([message.bytes.subarray(0, message.length)]));
    } else if (message.kind === "console") {
      text.add(message.bytes);
    } else if (message.kind === "done" || message.kind === "failed") {
      finishRun(worker, started, text, message);
    }
  };
  // An error the program could not report itself (the browser out of memory, say) ends the run too.
  worker.onerror = (event) => finishRun(worker, started, text, { kind: "failed", message: event.message });
  worker.postMessage({ kind: "file", file, table: kind === "table" });
}

$("language").addEventListener("click", () => setLanguage(language === "pl" ? "en" : "pl"));
for (const id of Object.keys(saved)) {
  $(id).addEventListener("click", () => save(id));
}
$("file").addEventListener("change", (event) => {
  convert(event.target.files[0]);
  event.target.value = "";  // so that the same file, chosen again after a change, is read again
});
for (const [name, handler] of Object.entries({
  dragover: (event) => { event.preventDefault(); $("drop").classList.add("over"); },
  dragleave: () => $("drop").classList.remove("over"),
  drop: (event) => {
    event.preventDefault();
    $("drop").classList.remove("over");
    convert(event.dataTransfer.files[0]);
  },
})) {
  document.addEventListener(name, handler);
}
setLanguage("pl");
