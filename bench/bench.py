#!/usr/bin/env python3
"""Helpers of the benchmark (bench/run.sh): the shipped-table corpus, the NSIS script of
a corpus, and the report that turns the raw measurements into the table.

usage: bench.py shipped OUTDIR
       bench.py nsis MANIFEST INSTALLER SCRIPT
       bench.py report RAW RESULTS_MD
"""
import os
import runpy
import statistics
import sys
from collections import defaultdict

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The shipped payload: code, name, size, packed size. The stand-ins have the sizes and
# deflate to about the same share as the shipped files do.
SHIPPED_TABLE = [
    (0, "Varnix.exe", 2440704, 796179),
    (0, "Varnix.tlb", 5248, 2494),
    (14, "Varnix.hlp", 977037, 831148),
    (14, "Varnix.cnt", 3109, 932),
    (10, "BraxAbs.dll", 148992, 54343),
    (11, "BraxAcq.dll", 227840, 92682),
    (12, "BraxAlg.dll", 253440, 99175),
    (13, "BraxDel.dll", 141312, 53182),
    (17, "Axdist.exe", 803680, 743075),
    (17, "Comctl32.dll", 577808, 345760),
    (17, "Comdlg32.dll", 176128, 92657),
    (17, "DataDependentJitter1.bxd", 2206, 2217),
    (17, "TimingJitter1.bxd", 80878, 55329),
    (17, "AmplitudeNoise1.bxd", 66584, 40781),
]

SUBFOLDERS = {13: "System", 15: "ChmMacros", 16: "5&10ChannelExamples"}


def load_standin_bytes():
    """standin_bytes of the demo's stand-in generator (demo/make-standin.py)."""
    names = runpy.run_path(os.path.join(ROOT, "demo", "make-standin.py"))
    return names["standin_bytes"]


def make_shipped(out_dir):
    standin_bytes = load_standin_bytes()
    lines = ["# The shipped payload's fourteen entries (stand-ins): code, source file, stored name."]
    for code, name, size, packed in SHIPPED_TABLE:
        folder = SUBFOLDERS.get(code, "")
        os.makedirs(os.path.join(out_dir, folder), exist_ok=True)
        relative = os.path.join(folder, name) if folder else name
        data = standin_bytes(size, min(1.0, packed / size), name, b"Pelorin benchmark stand-in\r\n")
        with open(os.path.join(out_dir, relative), "wb") as f:
            f.write(data)
        lines.append(f"{code}\t{relative}\t{name}")
    with open(os.path.join(out_dir, "payload.manifest"), "w") as f:
        f.write("\n".join(lines) + "\n")


def read_manifest(manifest):
    """(code, absolute source path, stored name) in archive order."""
    base = os.path.dirname(os.path.abspath(manifest))
    entries = []
    with open(manifest) as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            code, source, name = line.split("\t")
            entries.append((int(code, 0), os.path.join(base, source), name))
    return entries


def nsis_quote(text):
    return '"' + text.replace("$", "$$").replace('"', '$\\"') + '"'


def make_nsis_script(manifest, installer, script):
    """One File command per entry, grouped by destination, with the NSIS defaults
    (zlib, one stream per file, CRC check of the installer at its start) and silent
    installation, so that /S /D=DIR installs the same files as the setup program."""
    groups = defaultdict(list)
    for code, source, name in read_manifest(manifest):
        groups[code if code in SUBFOLDERS else 0].append((source, name))
    out = [
        "Unicode false",
        "SetCompressor zlib",
        'Name "Pelorin benchmark"',
        f"OutFile {nsis_quote(installer)}",
        'InstallDir "C:\\PelorinBench"',
        "RequestExecutionLevel user",
        "SilentInstall silent",
        "Section",
    ]
    folders = {0: "$INSTDIR", 13: "$SYSDIR", 15: "$INSTDIR\\ChmMacros", 16: "$INSTDIR\\5&10ChannelExamples"}
    for code in sorted(groups):
        out.append(f'  SetOutPath "{folders[code]}"')
        for source, name in groups[code]:
            out.append(f"  File {nsis_quote('/oname=' + name)} {nsis_quote(source)}")
    out.append("SectionEnd")
    with open(script, "w") as f:
        f.write("\n".join(out) + "\n")


# --- The report --------------------------------------------------------------------------

def parse_raw(path):
    """Lines "kind key=value key=value ..." into (kind, dict) pairs."""
    records = []
    with open(path) as f:
        for line in f:
            words = line.split()
            if not words:
                continue
            fields = {}
            for word in words[1:]:
                if "=" in word:
                    key, value = word.split("=", 1)
                    fields[key] = value
            records.append((words[0], fields))
    return records


def median(values):
    return statistics.median(values) if values else None


def fmt(value, digits=3):
    if value is None:
        return "n/a"
    return f"{value:.{digits}f}"


def mib(n):
    if abs(n) < 1048576:
        return f"{n / 1024:.0f} KiB"
    return f"{n / 1048576:.1f} MiB"


def mb_per_s(size, seconds):
    return f"{size / seconds / 1e6:.0f}" if seconds else "n/a"


PAYLOAD_TITLES = {
    "shipped": "shipped table (14 files)",
    "mixed": "mixed",
    "small": "small files",
}


class Report:
    def __init__(self, records):
        self.meta = {}
        self.extract = defaultdict(lambda: defaultdict(dict))  # payload -> way -> run -> seconds
        self.totals = {}                                      # payload -> (files, bytes)
        self.ticks = defaultdict(list)                        # payload -> [(ticks, seconds)]
        self.tick_alone = {}
        self.slide_tick = {}
        self.process = defaultdict(lambda: defaultdict(dict))  # payload -> who -> run -> seconds
        self.inner = defaultdict(list)                        # payload -> extract_seconds inside our process
        self.memory = defaultdict(list)                       # payload -> report dicts
        self.tool = defaultdict(lambda: defaultdict(list))    # payload -> what -> [(seconds, bytes)]
        self.deflate = defaultdict(dict)                      # payload -> method -> dict
        self.sizes = defaultdict(dict)                        # payload -> what -> bytes
        self.firstpaint = defaultdict(list)                   # payload -> [(window ms, paint ms)]
        self.lookups = []                                     # (files in the folder, µs)
        self.errors = []
        for kind, f in records:
            p = f.get("payload")
            if kind == "meta":
                self.meta.update(f)
            elif kind == "extract":
                self.extract[p][f["way"]][int(f["run"])] = float(f["seconds"])
                self.totals[p] = (int(f["files"]), int(f["bytes"]))
            elif kind == "ticks":
                self.ticks[p].append((int(f["ticks"]), float(f["seconds"])))
            elif kind == "cost" and f.get("what") == "tick":
                self.tick_alone[p] = float(f["us"])
            elif kind == "cost" and f.get("what") == "slide-tick":
                self.slide_tick[p] = float(f["us"])
            elif kind == "process":
                self.process[p][f["who"]][int(f["run"])] = float(f["seconds"])
            elif kind == "memory":
                self.memory[p].append({k: int(v) if v.isdigit() else v for k, v in f.items()})
            elif kind == "inner":
                self.inner[p].append(float(f["extract_seconds"]))
            elif kind == "tool":
                self.tool[p][f["what"]].append((float(f["seconds"]), int(f["bytes"])))
            elif kind == "deflate":
                self.deflate[p][f["method"]] = f
            elif kind == "size":
                self.sizes[p][f["what"]] = int(f["bytes"])
            elif kind == "lookup":
                self.lookups.append((int(f["files"]), float(f["us"])))
            elif kind == "firstpaint":
                self.firstpaint[p or "demo"].append((float(f["window_ms"]), float(f["paint_ms"])))
            elif kind == "error":
                self.errors.append(" ".join(f"{k}={v}" for k, v in f.items()))

    def payloads(self):
        order = ["shipped", "mixed", "small"]
        names = set(self.totals) | set(self.process) | set(self.tool)
        return [p for p in order if p in names] + sorted(n for n in names if n not in order)

    def title(self, p):
        files, size = self.totals.get(p, (None, None))
        base = PAYLOAD_TITLES.get(p, p)
        if files is None:
            return base
        return f"{base}: {files} files, {mib(size)}"

    def section_payloads(self):
        out = ["## Payloads", "",
               "| payload | files | bytes | our archive (level 9) | our installer (bench_install + archive) | NSIS installer |",
               "|---|---:|---:|---:|---:|---:|"]
        for p in self.payloads():
            files, size = self.totals.get(p, (0, 0))
            s = self.sizes[p]
            out.append(f"| {PAYLOAD_TITLES.get(p, p)} | {files} | {size} | {s.get('archive', 'n/a')} | "
                       f"{s.get('ours_installer', 'n/a')} | {s.get('nsis_installer', 'n/a')} |")
        return out

    MARKS_FLOOR = {"mixed": 0.65, "small": 1.15}
    MARKS_CHECK = {"mixed": 0.10}
    BUDGET = 32 * 1048576  # INFLATE_AHEAD_BUDGET
    MARKS_SILENT = {"shipped": 0.90, "mixed": 0.40, "small": 0.65}

    def section_floor(self):
        out = ["## 1. Extraction against the floor (one 32-bit process under Wine)", "",
               "Seconds are medians over the runs. *floor*: one `uncompress` per entry into one block and one "
               "`fopen`/`fwrite`/`fclose` per file; *probe*: the floor plus one `GetFileAttributesA` per "
               "destination before it is created, a second lookup of every new name (what the engine saves by "
               "creating new files directly); *engine*: `ExtractArchive` with a real progress dialog ticked after every file, "
               "inflating ahead on the second processor; *one block*: the same engine made to inflate one entry at a "
               "time into one block, as on a machine with one processor. "
               "Ratio: median engine / median floor (in brackets the lowest and highest ratio of one run's pair).",
               "",
               "| payload | inflate only s | floor s | floor MB/s | probe s | one block s | engine s | engine MB/s | "
               "one block / floor | engine / floor | mark | "
               "cost per file beyond the floor | an existence probe would cost | of it: tick | of it: the rest |",
               "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|---:|---:|---:|---:|"]
        for p in self.payloads():
            ways = self.extract.get(p)
            if not ways:
                continue
            files, size = self.totals[p]
            med = {w: median(list(runs.values())) for w, runs in ways.items()}
            floor, engine, one_block = med.get("floor"), med.get("engine"), med.get("oneblock")
            ratio = engine / floor if floor and engine else None
            one_block_ratio = one_block / floor if floor and one_block else None
            pairs = [ways["engine"][r] / ways["floor"][r] for r in ways.get("engine", {}) if r in ways.get("floor", {})]
            spread = f" ({min(pairs):.2f}–{max(pairs):.2f})" if pairs else ""
            mark = self.MARKS_FLOOR.get(p)
            mark_text = "" if mark is None or ratio is None else (
                f"≤ {mark:.2f}: {'met' if ratio <= mark else 'missed'}")
            per_file = (engine - floor) / files * 1e6 if ratio else None
            probe = (med["probe"] - floor) / files * 1e6 if med.get("probe") and floor else None
            tick_seconds = median([s for t, s in self.ticks[p]]) if self.ticks[p] else None
            tick = tick_seconds / files * 1e6 if tick_seconds is not None else None
            rest = per_file - tick if None not in (per_file, tick) else None
            out.append(f"| {self.title(p)} | {fmt(med.get('inflate'))} | {fmt(floor)} | {mb_per_s(size, floor)} | "
                       f"{fmt(med.get('probe'))} | {fmt(one_block)} | {fmt(engine)} | {mb_per_s(size, engine)} | "
                       f"{fmt(one_block_ratio, 2)} | "
                       f"{fmt(ratio, 2)}{spread} | {mark_text} | {fmt(per_file, 0)} µs | {fmt(probe, 0)} µs | "
                       f"{fmt(tick, 0)} µs | {fmt(rest, 0)} µs |")
        alone = ", ".join(f"{p} {v:.1f} µs" for p, v in self.tick_alone.items())
        out += ["", "Cost per file: (engine − floor) / files. *An existence probe*: (probe − floor) / files, not part of the engine's cost. *Tick*: the "
                "time the dialog's window procedure spent on the engine's ticks during the run (one per file; the "
                "first one puts the first slide up and paints it, which is most of it when there are few files). "
                "*The rest*: what remains (the read-only and common-control rules, the bar's repaint when it moves). "
                "With a few dozen files these differences are a few milliseconds, within the noise of the runs."]
        slide = ", ".join(f"{p} {v:.1f} µs" for p, v in self.slide_tick.items())
        if alone:
            out += ["", f"One tick timed alone, 2000 in a row on a fresh dialog (bar and slide unchanged): {alone}."
                    + (f" One that puts up the next slide (three in an installation): {slide}." if slide else "")]
        if self.lookups:
            text = ", ".join(f"{us:.0f} µs among {files} files" for files, us in self.lookups)
            out += ["", "A name that is not there, looked up with `GetFileAttributesA` (the engine's probe before "
                    "each file; creating the file looks it up once more, in the floor too): " + text + ". Wine "
                    "matches names without regard to case on a Linux file system that does, so it reads the whole "
                    "folder to be sure a name is missing."]
        return out

    def section_nsis(self):
        out = ["## 2. Against NSIS (whole process)", "",
               "Each installer is started by a small launcher under Wine and timed from `CreateProcess` to the end "
               "of the process, with the wineserver kept running; medians over the runs, after one untimed run of "
               "each. *silent*: `Setup.exe -silent -dir=DIR`, made by the payload tool from the stub and the archive "
               "as a vendor makes it: no window at all; it prepares the directory, unpacks the payload and creates "
               "the program group, its shortcuts, the desktop shortcut and the uninstall entry. *clicked*: "
               "`bench_install`, the work of a clicked installation after its pages: the setup program's start "
               "(backdrop painted), progress dialog, directory preparation and `ExtractPayload` from its own "
               "resource, without the 30-second display (and without the shortcuts). *NSIS*: `SetCompressor zlib` "
               "(one stream per file), `/S /D=DIR`, no window, the files only.",
               "",
               "| payload | silent s | clicked s | of it: ExtractPayload s | NSIS s | silent / NSIS | mark | "
               "clicked / NSIS | Setup.exe bytes | NSIS installer bytes |",
               "|---|---:|---:|---:|---:|---:|---|---:|---:|---:|"]
        for p in self.payloads():
            who = self.process.get(p)
            if not who:
                continue
            ours = median(list(who.get("ours", {}).values()))
            silent = median(list(who.get("silent", {}).values()))
            nsis = median(list(who.get("nsis", {}).values()))
            ratio = ours / nsis if ours and nsis else None
            silent_ratio = silent / nsis if silent and nsis else None
            limit = self.MARKS_SILENT.get(p)
            mark = ("" if limit is None or silent_ratio is None
                    else f"≤ {limit:.2f}: {'met' if silent_ratio <= limit else 'missed'}")
            s = self.sizes[p]
            out.append(f"| {self.title(p)} | {fmt(silent)} | {fmt(ours)} | {fmt(median(self.inner[p]))} | {fmt(nsis)} | "
                       f"{fmt(silent_ratio, 2)} | {mark} | {fmt(ratio, 2)} | {s.get('silent_installer', 'n/a')} | "
                       f"{s.get('nsis_installer', 'n/a')} |")
        out += ["", "The payload's integrity check: the same silent `Setup.exe` with the checksum the payload tool "
                "writes beside the payload (the tool's default, which the program checks on a thread of its own "
                "before it writes anything) and without it (`payload setup --no-payload-check`), the two taking "
                "turns at going first.", "",
                "| payload | with the check s | without s | the check's cost | mark |",
                "|---|---:|---:|---:|---|"]
        for p in self.payloads():
            who = self.process.get(p, {})
            checked = median(list(who.get("silent", {}).values()))
            unchecked = median(list(who.get("unchecked", {}).values()))
            if not checked or not unchecked:
                continue
            cost = checked / unchecked - 1
            limit = self.MARKS_CHECK.get(p)
            mark = "" if limit is None else f"≤ {limit:.0%}: {'met' if cost <= limit else 'missed'}"
            out.append(f"| {PAYLOAD_TITLES.get(p, p)} | {fmt(checked)} | {fmt(unchecked)} | {cost:+.1%} | {mark} |")
        return out

    def section_tool(self):
        out = ["## 3. Building the archive", "",
               f"Payload tool `build` with `-j 1` and `-j {self.meta.get('cores', 'N')}` (all cores), level 9; "
               "`gzip -9` of the same bytes concatenated into one stream, as a reference; and one thread packing "
               "each file into its own zlib stream with zlib's `compress2` and with libdeflate (`bench_deflate`). "
               "Medians over the runs.",
               "",
               "| payload | tool -j 1 s | tool -j N s | archive bytes | gzip -9 s | gzip -9 bytes | "
               "zlib 9 s / bytes | libdeflate 9 s / bytes | libdeflate 12 s / bytes |",
               "|---|---:|---:|---:|---:|---:|---:|---:|---:|"]
        for p in self.payloads():
            t = self.tool.get(p)
            if not t:
                continue
            def med(what):
                rows = t.get(what, [])
                return (median([s for s, _ in rows]), rows[-1][1]) if rows else (None, None)
            j1, jn, gz = med("payload-j1"), med("payload-jN"), med("gzip-9")
            d = self.deflate.get(p, {})
            def dfl(method):
                row = d.get(method)
                return f"{float(row['seconds']):.2f} / {row['packed']}" if row else "n/a"
            out.append(f"| {PAYLOAD_TITLES.get(p, p)} | {fmt(j1[0], 2)} | {fmt(jn[0], 2)} | {jn[1] or j1[1]} | "
                       f"{fmt(gz[0], 2)} | {gz[1]} | {dfl('zlib-9')} | {dfl('libdeflate-9')} | {dfl('libdeflate-12')} |")
        out += ["", f"The payload tool makes its streams with libdeflate {self.meta.get('libdeflate', '?')} "
                "(zlib format), chosen on these figures: smaller than zlib's at the same level and faster."]
        return out

    def section_memory(self):
        out = ["## 4. Memory and size", "",
               "Memory of `bench_install` (payload in its own resource, read in place) while `ExtractPayload` runs. "
               "Wine fills `GetProcessMemoryInfo` from Linux's counters: the working set is the resident memory, "
               "the private memory (`PagefileUsage`) its anonymous part; its peak counters are no peaks "
               "(`PeakPagefileUsage` is the current value, `PeakWorkingSetSize` Linux's high-water mark, which "
               "proactive reclaim lowers). So a second thread of the benchmark program samples the counters every "
               "millisecond during the extraction; *growth* is the highest value sampled less the value just before "
               "the extraction. *Bound*: the block the extraction inflates into, which holds what is inflated and "
               "not yet written: the budget of 32 MiB, or less (the whole payload, or 64 of its largest entry), and "
               "never less than the largest entry; one block at a time needed the largest entry.",
               "",
               "| payload | largest entry | bound | working set before | highest during | growth | private before | "
               "highest during | growth | samples |",
               "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"]
        for p in self.payloads():
            rows = self.memory.get(p)
            if not rows:
                continue
            r = rows[-1]
            largest = self.sizes[p].get("largest_entry")
            ws0, ws1 = r.get("before_working_set"), r.get("sampled_working_set")
            pv0, pv1 = r.get("before_private"), r.get("sampled_private")
            if None in (ws0, ws1, pv0, pv1):
                continue
            total = self.totals.get(p, (0, 0))[1]
            bound = max(min(self.BUDGET, total, 64 * largest), largest) if largest else None
            out.append(f"| {PAYLOAD_TITLES.get(p, p)} | {mib(largest) if largest else 'n/a'} | "
                       f"{mib(bound) if bound else 'n/a'} | {mib(ws0)} | "
                       f"{mib(ws1)} | {mib(ws1 - ws0)} | {mib(pv0)} | {mib(pv1)} | {mib(pv1 - pv0)} | "
                       f"{r.get('samples')} |")
        exe = self.sizes.get("setup", {})
        out.append("")
        if exe.get("setup_exe") and exe.get("setup_payload"):
            payload = exe["setup_payload"]
            text = (f"`Setup.exe` without its payload: {exe['setup_exe'] - payload} bytes as built "
                    f"({exe['setup_exe']} bytes with the demo payload of {payload} bytes)")
            if exe.get("setup_exe_stripped"):
                text += f", {exe['setup_exe_stripped'] - payload} bytes stripped of its symbols"
            pictures = exe.get("pictures")
            if pictures:
                text += (f"; less the pictures (splash and four slides, {pictures} bytes), "
                         f"{exe.get('setup_exe_stripped', exe['setup_exe']) - payload - pictures} bytes")
            out.append(text + ".")
        for label, title in (("demo", "the demo payload"), ("mixed", "the mixed payload")):
            runs = self.firstpaint.get(label)
            if not runs:
                continue
            window = median([w for w, _ in runs])
            painted = [p for _, p in runs if p >= 0]
            paint = median(painted) if painted else None
            out.append("")
            out.append(f"First painted backdrop with {title}: {fmt(paint, 0)} ms from `CreateProcess` of "
                       f"`Setup.exe` until its backdrop is on the screen (its window exists after "
                       f"{fmt(window, 0)} ms), median of {len(runs)} runs. Read back from the display as a "
                       "screenshot is, polled about every millisecond: the last gradient band at the bottom left "
                       "of the client area has its colour and the splash picture stands at its bottom edge; the "
                       "gradient is painted first and the picture after it in the same paint.")
        return out

    def render(self):
        m = {k: v.replace("_", " ") for k, v in self.meta.items()}
        head = ["# Benchmark results", "",
                f"Machine: {m.get('cpu', '?')}, {m.get('cores', '?')} cores, {m.get('memory', '?')}; "
                f"Linux {m.get('kernel', '?')}; {m.get('wine', '?')}; zlib {m.get('zlib', '?')} (mingw, in the "
                f"32-bit programs); {m.get('nsis', '?')}. Date {m.get('date', '?')}, commit {m.get('commit', '?')}. "
                f"Runs: {m.get('runs', '?')} of each figure ({m.get('tool_runs', '?')} of the archive builds); installs "
                f"to {m.get('output', '?')}.", ""]
        body = []
        for section in (self.section_payloads, self.section_floor, self.section_nsis, self.section_tool,
                        self.section_memory):
            body += section() + [""]
        if self.errors:
            body += ["## Errors", ""] + [f"- {e}" for e in self.errors] + [""]
        return "\n".join(head + body)


def report(raw, results):
    text = Report(parse_raw(raw)).render()
    with open(results, "w") as f:
        f.write(text)
    print(text)


def main(argv):
    if len(argv) == 3 and argv[1] == "shipped":
        make_shipped(argv[2])
    elif len(argv) == 5 and argv[1] == "nsis":
        make_nsis_script(argv[2], argv[3], argv[4])
    elif len(argv) == 4 and argv[1] == "report":
        report(argv[2], argv[3])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
