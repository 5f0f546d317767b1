// What the page says, in both languages: put into page.html's last script before page.js.
"use strict";

// Polish nouns after a number: 1 wiersz, 2-4 (but not 12-14) wiersze, and otherwise wierszy.
function polishLines(count) {
  const tens = count % 100;
  const ones = count % 10;
  return count === 1 ? "wiersz" : ones >= 2 && ones <= 4 && (tens < 12 || tens > 14) ? "wiersze" : "wierszy";
}

// Words the page says as it goes, in both languages; the fixed ones are in the elements' data-pl and
// data-en attributes. Numbers are written as each language writes them ("0,04" in Polish).
const words = {
  pl: {
    reading: "Przeliczanie…",
    restarted: "Przerwano przeliczanie poprzedniego pliku; przeliczanie nowego…",
    done: (seconds, read, converted) => read === null
      ? `Gotowe w ${seconds} s: przeliczono ${converted}.`
      : `Gotowe w ${seconds} s: wczytano ${read.text} ${polishLines(read.count)}, przeliczono ${converted}, odrzucono ${read.rejected}.`,
    error: (seconds, converted) => `Zakończono z błędem po ${seconds} s (przyczyna w komunikatach), przeliczono ${converted}.`,
    failed: "Program nie mógł się uruchomić w tej przeglądarce. Potrzebna jest nowsza przeglądarka (Chrome lub Edge od wersji 97, Firefox od 102, Safari od 16). Spróbuj ponownie albo w innej przeglądarce.",
    browserSaid: "Przeglądarka podała: ",
    cut: "… (to pierwszy megabajt komunikatów; wszystkie zapisuje „Zapisz komunikaty”)",
    table: (seconds, exit) => exit === 0 ? `Gotowe w ${seconds} s: przeliczono każdy wiersz tabeli.`
      : exit === 1 ? `Gotowe w ${seconds} s: nie każdy wiersz tabeli przeliczono (powody w komunikatach i w kolumnie zelmor).`
      : `Tabeli nie przeliczono (przyczyna w komunikatach).`,
    saveTable: "Zapisz tabelę",
  },
  en: {
    reading: "Converting…",
    restarted: "The previous file's conversion was stopped; converting the new one…",
    done: (seconds, read, converted) => read === null
      ? `Done in ${seconds} s: ${converted} converted.`
      : `Done in ${seconds} s: ${read.text} ${read.count === 1 ? "line" : "lines"} read, ${converted} converted, ${read.rejected} rejected.`,
    error: (seconds, converted) => `Ended with an error after ${seconds} s (the messages say why), ${converted} converted.`,
    failed: "The program could not start in this browser. It needs a newer one (Chrome or Edge 97 or later, Firefox 102, Safari 16). Try again, or in another browser.",
    browserSaid: "The browser said: ",
    cut: "… (this is the first megabyte of the messages; “Save the messages” saves them all)",
    table: (seconds, exit) => exit === 0 ? `Done in ${seconds} s: every row of the table converted.`
      : exit === 1 ? `Done in ${seconds} s: not every row of the table converted (the messages and the zelmor column say why).`
      : `The table was not converted (the messages say why).`,
    saveTable: "Save the table",
  },
};
