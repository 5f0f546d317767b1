"""zelmor-csv end to end: whole tables of every shape users have, each converted and then read back by
an independent reader (Python's csv module, or str.split for a listing), against the program's own
results for the same points (zelmor run on a dane.txt of them).

ZELMOR_TABLE_COMMAND runs another build of zelmor-csv (under Wine, under qemu) instead of this build's,
ZELMOR_TABLE_BUILT; ZELMOR_PROGRAM is the native program the expected values come from."""
import csv
import io
import os
import shlex
import subprocess
import tempfile
from dataclasses import dataclass, field

import pytest

TABLE_COMMAND = shlex.split(os.environ.get("ZELMOR_TABLE_COMMAND") or os.environ["ZELMOR_TABLE_BUILT"])
PROGRAM = os.environ["ZELMOR_PROGRAM"]
DEADLINE = 300  # seconds for any one run

BAD_FORMAT = "nieprawidlowy format danych"
OUT_OF_RANGE = "wspolrzedne poza dopuszczalnym zakresem"


def program_results(points, tag):
    """What the program writes for each point ((first, second) as text with "." decimals), or None."""
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "dane.txt"), "w") as dane:
            dane.writelines(f"{tag} {a} {b}\n" for a, b in points)
        run = subprocess.run([PROGRAM], cwd=work, capture_output=True, text=True, timeout=DEADLINE)
        with open(os.path.join(work, "wyniki.txt")) as wyniki:
            results = iter(wyniki.read().split("\n"))
    rejected = {int(line.split()[2].rstrip(":")) for line in run.stdout.splitlines() if ": wiersz " in line}
    return [None if n + 1 in rejected else next(results).split()[1:] for n in range(len(points))]


@dataclass
class Table:
    """A table as its rows' raw cells; the points are the cells at `columns` (None: not a point row)."""
    rows: list
    delimiter: str = ";"
    line_end: str = "\r\n"
    header: bool = True
    columns: tuple = (1, 2)
    tag: str = "W"              # the points' system
    decimal: str = ","
    options: list = field(default_factory=list)
    encoding: str = "utf-8"
    bom: bool = False
    last_line_end: bool = True
    gis: bool = False           # the columns and the new cells are easting first

    def text(self):
        join = " " if self.delimiter == "blanks" else self.delimiter
        lines = [join.join(row) for row in self.rows]
        body = self.line_end.join(lines) + (self.line_end if self.last_line_end else "")
        return ("\ufeff" if self.bom else "") + body


def unquote(cell):
    cell = cell.strip()
    return cell[1:-1].replace('""', '"') if len(cell) > 1 and cell[0] == cell[-1] == '"' else cell


def run_table(data, options, stdin=False):
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "tabela.csv")
        with open(path, "wb") as table:
            table.write(data)
        out = os.path.join(work, "wynik.csv")
        if stdin:
            run = subprocess.run(TABLE_COMMAND + options, input=data, capture_output=True, timeout=DEADLINE)
            return run, run.stdout
        run = subprocess.run(TABLE_COMMAND + options + [path, "-o", out], capture_output=True, timeout=DEADLINE)
        written = open(out, "rb").read() if os.path.exists(out) else None
        return run, written


def polish_rows():
    return [["Nr", "Szerokość", "Długość", "Wysokość [m]", "Opis"],
            ["1", "52,2297", "21,0122", "100,5", '"Warszawa; PKiN ""stary"""'],
            ["2", '"54,35"', "18,6466", "", ""],
            ["3", "60,0", "21,0", "1", "poza obszarem"],
            ["4", "52,1", "tekst", "2", ""],
            ["5", "49,2992", "19,9496", "", '"wiersz\r\nz nowa linia"'],
            ["6"],
            ["7", "50,06", "19,94", "3"]]


def many_rows(count):
    rows = [["id", "lat", "lon"]]
    for i in range(count):
        rows.append([str(i), f"{48.5 + (i * 7919 % 7000) / 1000:.7f}", f"{13.5 + (i * 104729 % 11000) / 1000:.7f}"])
    return rows


TABLES = {
    "Polish spreadsheet, CSV UTF-8 with a BOM, decimal commas, quotes, CR LF, a ragged row":
        Table(polish_rows(), bom=True),
    "the same as Windows-1250, LF, no line end at the last row":
        Table(polish_rows(), encoding="cp1250", line_end="\n", last_line_end=False),
    "QGIS CSV export of WGS84 points, X longitude first: GIS order in and out, unasked":
        Table([["X", "Y", "name", "fid"], ["21.0122", "52.2297", '"Warszawa, PKiN"', "1"],
               ["14.55", "53.43", "Szczecin", "2"], ["", "", "no geometry", "3"]],
              delimiter=",", line_end="\n", decimal=".", gis=True, columns=(0, 1)),
    "QGIS CSV export of EPSG:2180 points, X easting first (--gis)":
        Table([["X", "Y", "name"], ["637382.2044", "486757.2095", "PKiN"], ["500000", "130000", "south"]],
              delimiter=",", line_end="\n", decimal=".", options=["--gis"], gis=True, columns=(0, 1), tag="P"),
    "total station listing, blanks, no header":
        Table([["101", "459309.21", "500000.00", "123.45"], ["102", " 486757.2095", "637382.2044", "98.10"],
               ["103", "bad", "500000.00", "1.00"]],
              delimiter="blanks", line_end="\n", header=False, decimal=".", tag="P"),
    "tab-delimited GNSS export, lat/lon header, CR LF":
        Table([["point", "lat", "lon", "h"], ["A1", "52.40637", "16.92517", "80.1"], ["A2", "53.1235", "18.0084", "55"]],
              delimiter="\t", decimal="."),
    "grid table X;Y with decimal commas and empty cells":
        Table([["nr", "X", "Y"], ["1", "486757,2095", "637382,2044"], ["2", "", "500000"], ["3", "700000", "500000"]],
              tag="P"),
    "columns named by number, no header, in GIS order":
        Table([["a", "21,0", "52,0"], ["b", "19,0", "50,0"]], header=False, options=["--columns", "2,3", "--gis"],
              gis=True),
    "a million rows":
        Table(many_rows(1000000), delimiter=",", line_end="\n", decimal="."),
}


@pytest.mark.parametrize("name", TABLES)
def test_a_table_comes_back_whole_with_the_programs_results(name):
    table = TABLES[name]
    data = table.text().encode(table.encoding)
    run, written = run_table(data, table.options)
    text = written.decode(table.encoding)
    # The rows as an independent reader sees them, in and out.
    if table.delimiter == "blanks":
        read_in = [line.split() for line in data.decode(table.encoding).splitlines()]
        read_out = [shlex.split(line) for line in text.splitlines()]
    else:
        read_in = list(csv.reader(io.StringIO(data.decode(table.encoding), newline=""), delimiter=table.delimiter))
        read_out = list(csv.reader(io.StringIO(text, newline=""), delimiter=table.delimiter))
    assert len(read_out) == len(read_in)
    width = len(read_in[0])
    body = read_in[1:] if table.header else read_in
    first, second = table.columns if not table.gis else table.columns[::-1]
    points = []
    for row in body:
        try:
            values = [unquote(row[first]).replace(",", "."), unquote(row[second]).replace(",", ".")]
            [float(v) for v in values]
            points.append(values)
        except (IndexError, ValueError):
            points.append(["nie", "liczba"])
    expected = program_results(points, table.tag)
    messages = []
    for n, (row_in, row_out, result) in enumerate(zip(body, read_out[len(read_out) - len(body):], expected)):
        padded = row_in + [""] * (width - len(row_in)) if table.delimiter != "blanks" else row_in
        assert row_out[:len(padded)] == [cell.strip() if table.delimiter == "blanks" else cell for cell in padded]
        new = row_out[len(padded):]
        if result is None:
            assert new[:2] == ["", ""] and new[2] in (BAD_FORMAT, OUT_OF_RANGE), row_out
            messages.append(new[2])
        else:
            values = [v.replace(".", table.decimal) for v in (result[::-1] if table.gis else result)]
            assert new == values + ["ok"], row_out
    # Every cell byte for byte: the output is the input with the new cells before each line end.
    assert text.startswith("\ufeff" if table.bom else "")
    assert text.count(table.line_end) == data.decode(table.encoding).count(table.line_end)
    said = run.stderr.decode().splitlines()
    assert [line.split(": ", 2)[2] for line in said if ": wiersz " in line] == messages
    assert run.returncode == (1 if messages else 0), run.stderr


def test_rows_are_numbered_as_the_file_counts_its_lines():
    """A quoted line break makes a row two lines of the file: the rows after it are numbered on."""
    table = Table(polish_rows())
    run, _ = run_table(table.text().encode(), [])
    assert [line.split(": ")[1] for line in run.stderr.decode().splitlines() if ": wiersz " in line] == \
        ["wiersz 4", "wiersz 5", "wiersz 8"]


DOUBTS = [
    ("no header, two columns of latitudes", "1;50,1;52,2;21,0\n2;50,2;52,3;21,1\n", [],
     "wspolrzednymi moga byc kolumny 2 i 4, 3 i 4 (wskaz je: --columns A,B)"),
    ("both systems named", "B;L;X;Y\n52;21;486757;637382\n", [],
     "naglowek ma kolumny obu ukladow (wybierz kierunek: --to puwg92 albo --to wgs84)"),
    ("decimal points and commas", "nr;B;L\n1;52,1;21.0\n", [],
     "liczby sa zapisane z kropka i z przecinkiem (wskaz separator dziesietny: --decimal . albo --decimal ,)"),
    ("X latitudes and Y longitudes", "X,Y\n52.0,21.0\n", [],
     "kolumny X i Y maja wartosci w stopniach, X szerokosci, a Y dlugosci (wskaz kolumny: --columns A,B)"),
    ("latitude and longitude swapped", "B;L\n21,0;52,0\n", [],
     "kolumna szerokosci ma wartosci dlugosci, a kolumna dlugosci wartosci szerokosci (wskaz kolumny: --columns B,L)"),
    ("metres under a latitude's name", "B;L\n486757;637382\n", [],
     "wartosci kolumny B nie moga byc tym, co mowi jej nazwa (wskaz kolumny: --columns A,B)"),
    ("a column not in the table", "B;L\n52;21\n", ["--columns", "B,Z"],
     "nie ma kolumny Z (--columns: numery kolumn od 1 albo nazwy z naglowka)"),
    ("named columns of neither system", "a;b\n1;2\n", ["--columns", "1,2"],
     "nie wiadomo, w ktorym ukladzie sa wskazane kolumny (wybierz kierunek: --to puwg92 albo --to wgs84)"),
    ("only text", "nazwa;opis\nWarszawa;stolica\n", [],
     "nie znaleziono kolumn ze wspolrzednymi (wskaz je: --columns A,B)"),
]


@pytest.mark.parametrize("name,data,options,message", DOUBTS, ids=[d[0] for d in DOUBTS])
def test_a_doubt_stops_the_run_before_a_byte_is_written(name, data, options, message):
    run, written = run_table(data.encode(), options)
    assert run.returncode == 2
    assert written is None
    # (Messages end their lines as the system's text does: CR LF on Windows.)
    said = run.stderr.decode().replace("\r\n", "\n")
    assert said == f"zelmor-csv: {said.split(': ')[1]}: {message}\n"


def test_the_conventions_of_a_filter():
    data = "B;L\n52,0;19,0\n".encode()
    run, out = run_table(data, [], stdin=True)
    assert (run.returncode, out) == (0, b"B;L;X_PUWG92;Y_PUWG92;zelmor\n52,0;19,0;459309,2094;500000,0000;ok\n")
    for question in ("--help", "--version"):
        answer = subprocess.run(TABLE_COMMAND + [question], capture_output=True, timeout=DEADLINE)
        assert answer.returncode == 0 and answer.stdout
    assert b"--gis" in subprocess.run(TABLE_COMMAND + ["--help"], capture_output=True).stdout
    refused = subprocess.run(TABLE_COMMAND + ["--delimiter", "x"], capture_output=True, timeout=DEADLINE)
    assert refused.returncode == 2 and b"--delimiter" in refused.stderr
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "t.csv")
        with open(path, "wb") as table:
            table.write(data)
        same = subprocess.run(TABLE_COMMAND + [path, "-o", path], capture_output=True, timeout=DEADLINE)
        assert same.returncode == 2 and open(path, "rb").read() == data


def test_a_row_longer_than_the_buffer_is_kept_whole_and_named():
    long_cell = '"' + "x" * 150_000 + "\r\n" + "y" * 150_000 + '"'
    data = f"B;L;opis\r\n52,1;21,1;{long_cell}\r\n52,2;21,2;krotki\r\n".encode()
    run, written = run_table(data, [])
    _, long_row, short_row = written.split(b"\r\n5")  # the header, then the rows from their second byte
    assert long_row == f"2,1;21,1;{long_cell};;;wiersz dluzszy niz 256 KiB, przepisany bez zmian".encode()
    assert short_row.startswith(b"2,2;21,2;krotki;") and short_row.endswith(b";ok\r\n")
    assert run.returncode == 1
    assert [line for line in run.stderr.decode().splitlines() if ": wiersz " in line][0].endswith(
        ": wiersz 2: wiersz dluzszy niz 256 KiB, przepisany bez zmian")


ON_LINUX_HERE = not os.environ.get("ZELMOR_TABLE_COMMAND")  # signals and /dev/full, for this build only


@pytest.mark.skipif(not ON_LINUX_HERE, reason="signals and /dev/full are this system's")
def test_a_stop_or_a_full_disk_ends_the_table_at_a_whole_row():
    import signal
    import time

    # A stop while the table still comes: the rows read are written whole, and the run ends by the signal.
    run = subprocess.Popen(TABLE_COMMAND, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    run.stdin.write(b"B;L\n" + b"52,1;21,1\n" * 30000)
    run.stdin.flush()
    time.sleep(0.5)
    run.send_signal(signal.SIGINT)
    out, _ = run.communicate(timeout=20)
    assert run.returncode == -signal.SIGINT
    rows = out.split(b"\n")
    assert rows[-1] == b"" and all(row.endswith(b";ok") for row in rows[1:-1]) and len(rows) == 30002
    # A disk that is full: said, status 2, nothing cut.
    full = subprocess.run(TABLE_COMMAND + ["-o", "/dev/full"], input=b"B;L\n52,1;21,1\n", capture_output=True,
                          timeout=DEADLINE)
    assert full.returncode == 2 and full.stderr == b"zelmor-csv: Blad: nie mozna zapisac pliku /dev/full\n"
