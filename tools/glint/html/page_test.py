"""The page `glint html` writes, in a real browser: its rows against
`glint show --json` after title clicks, details, filter, baseline marks, and
report texts that hold markup. Environment: GLINT, GEN_REPORT (the built
programs), SAMPLES and TESTDATA (report folders), SHOTS (where screenshots go)."""
import json
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tests", "support"))
from browser import TempDir, run, start_browser  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

GLINT = os.environ["GLINT"]
GEN_REPORT = os.environ["GEN_REPORT"]
SAMPLES = os.environ["SAMPLES"]
TESTDATA = os.environ["TESTDATA"]
SHOTS = os.environ["SHOTS"]

HEADER = ("Report on     : C:\\Apps\\Demo.exe\r\n" + "-" * 60 + "\r\nCreated at : 09.12.2026 10:00:00\r\n\r\n"
          "Peak  : 10 pointers\r\nPeak memory: 999 bytes\r\n\r\nLeaked allocations (unit, line, size, contents):\r\n"
          + "-" * 60 + "\r\n")


def report_text(rows, unit_map=(), header=HEADER):
    """A report: each row a line (a tuple of lines: the row, then its details)."""
    body = ""
    for row in rows:
        lines = (row,) if isinstance(row, str) else row
        body += lines[0] + "\r\n" + "".join(" " + d + "\r\n" for d in lines[1:])
    if unit_map:
        body += "\r\nUnit Map:\r\n" + "".join(u + "\r\n" for u in unit_map)
    return header + body


# Scrolls the grid through all its rows and returns what each position
# showed: the four cell texts, the row's marks and its colours.
COLLECT_ROWS = """
const done = arguments[arguments.length - 1];
const grid = document.getElementById('grid');
const seen = {};
const frame = () => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
(async () => {
  for (let top = 0; ; top += Math.max(1, grid.clientHeight - 50)) {
    grid.scrollTop = top;
    await frame();
    for (const div of document.querySelectorAll('#rows .row')) {
      if (div.hidden) continue;
      seen[div.dataset.pos] = {cells: [...div.children].map((s) => s.textContent),
                               colours: [...div.children].map((s) => s.className),
                               added: div.classList.contains('added'), row: Number(div.dataset.row)};
    }
    if (grid.scrollTop + grid.clientHeight >= grid.scrollHeight) break;
  }
  grid.scrollTop = 0;
  await frame();
  done(seen);
})();
"""


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = TempDir()
        cls.browser = start_browser(1280, 2400)
        os.makedirs(SHOTS, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.tmp.cleanup()

    def page(self, report, *options):
        """Writes the page of `report` (a file) and opens it."""
        html = self.tmp.file(os.path.basename(report) + ".html")
        result = run([GLINT, "html", *options, "-o", html, report])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.browser.get("file://" + html)
        return html

    def show_rows(self, report, *sorts):
        args = [GLINT, "show", "--json"]
        for col in sorts:
            args += ["--sort", str(col)]
        result = run(args + [report])
        return result, (json.loads(result.stdout)["rows"] if result.returncode == 0 else None)

    def page_rows(self):
        seen = self.browser.execute_async_script(COLLECT_ROWS)
        self.assertEqual(sorted(int(p) for p in seen), list(range(len(seen))), "positions not contiguous")
        return [seen[str(p)] for p in range(len(seen))]

    def click_title(self, col):
        self.browser.find_elements("css selector", "#titles button")[col].click()

    def expected_cells(self, rows):
        return [[r["unit"] + (" ..." if r["details"] else ""), r["line"], r["bytes"], r["contents"]] for r in rows]

    def assert_no_script_errors(self):
        errors = [e for e in self.browser.get_log("browser") if e["level"] == "SEVERE"]
        self.assertEqual(errors, [])

    def test_title_clicks_sort_as_glint_show(self):
        made = self.tmp.file("generated.gln")
        run([GEN_REPORT, "--rows", "3000", "--units", "7", made]).check_returncode()
        # Ties, case, characters past ASCII, prefixes, numbers with spaces and
        # signs, and a Line column that is not all numbers.
        mixed = self.tmp.file("mixed.gln", report_text([
            "abc 10 +5 s: b", "ABC 9 -5 o: a", "Abc 8 0005 o: A", "abd x 7 s: \xe9t\xe9",
            "ab 7 7 s: Et\xe9", "\xc9cole 3 12 m: 41 00", "zeta 3 12 o: ab", "_x 1 2147483647 o: a",
            "AB 2 -2147483648 o: ", "abc 10 5 s: b"]))
        numeric = self.tmp.file("numeric.gln", report_text(
            ["U%d %d %d o: T%d" % (i % 3, (i * 7) % 11, (i * 13) % 5, i % 4) for i in range(40)]))
        # Numbers just past 32 bits, which sort the column as characters, and
        # letters past ASCII, which upper-casing leaves alone.
        bounds = self.tmp.file("bounds.gln", report_text([
            "a -2147483649 2147483648 o: \xe0", "B 10 9 o: \xd8", "c 9 10 o: \xff", "D 3 100 o: \xfe",
            "\xe9 2 5 o: \xb5", "\xc9 1 7 o: m"]))
        reports = [os.path.join(SAMPLES, f) for f in sorted(os.listdir(SAMPLES)) if f != "too-short.gln"]
        reports += [made, mixed, numeric, bounds]
        for report in reports:
            for clicks in ([0], [1], [2], [3], [2, 0, 3, 1]):
                with self.subTest(report=os.path.basename(report), clicks=clicks):
                    self.page(report)
                    for col in clicks:
                        self.click_title(col)
                    result, rows = self.show_rows(report, *clicks)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertEqual([r["cells"] for r in self.page_rows()], self.expected_cells(rows))
        self.assert_no_script_errors()

    def test_failed_sort_says_why_and_leaves_rows(self):
        report = os.path.join(TESTDATA, "hex-line.gln")
        result, _ = self.show_rows(report, 1)
        self.assertEqual(result.returncode, 1)
        self.page(report)
        before = self.page_rows()
        self.click_title(1)
        message = self.browser.find_element("id", "message")
        self.assertTrue(message.is_displayed())
        self.assertEqual(message.text, result.stderr.strip())
        self.assertEqual(self.page_rows(), before)

    def test_row_click_shows_details_and_source_file(self):
        report = os.path.join(SAMPLES, "inventory.gln")
        self.page(report)
        _, rows = self.show_rows(report)
        unit_map = dict(e.split("=", 1) for e in json.loads(run([GLINT, "show", "--json", report]).stdout)["unitMap"])
        for index, row in enumerate(rows):
            with self.subTest(row=index):
                self.browser.find_element("css selector", '#rows .row[data-pos="%d"]' % index).click()
                lines = [e.text for e in self.browser.find_elements("css selector", "#details-lines div")]
                self.assertEqual(lines, [d.strip() for d in row["details"] or []])
                file_text = self.browser.find_element("id", "details-file").text
                if row["unit"] in unit_map:
                    self.assertEqual(file_text, "Source file: " + unit_map[row["unit"]])
                else:
                    self.assertIn("names no source file", file_text)
        # Keys move the selection: down a row, then to the last row.
        self.browser.find_element("css selector", '#rows .row[data-pos="0"]').click()
        grid = self.browser.find_element("id", "grid")
        for key, index in ((Keys.DOWN, 1), (Keys.DOWN, 2), (Keys.END, len(rows) - 1), (Keys.UP, len(rows) - 2)):
            grid.send_keys(key)
            self.assertIn("Line: " + rows[index]["line"], self.browser.find_element("id", "details-row").text)
        self.browser.find_element("css selector", '#rows .row[data-pos="%d"]' % (len(rows) - 1)).click()
        self.browser.save_screenshot(os.path.join(SHOTS, "inventory.png"))

    def test_filter_narrows_by_unit_or_contents(self):
        report = os.path.join(SAMPLES, "inventory.gln")
        self.page(report)
        _, rows = self.show_rows(report)
        box = self.browser.find_element("id", "filter")
        for text in ("stock", "TSTRINGlist", "no such text", ""):
            with self.subTest(text=text):
                box.send_keys(Keys.CONTROL, "a")
                box.send_keys(Keys.DELETE)
                box.send_keys(text)
                self.browser.execute_async_script("setTimeout(arguments[0], 300)")
                wanted = [r for r in rows if text.lower() in r["unit"].lower() or text.lower() in r["contents"].lower()]
                self.assertEqual([r["cells"] for r in self.page_rows()], self.expected_cells(wanted))

    def test_baseline_marks_the_rows_glint_diff_adds(self):
        old_rows = ["A %d %d o: T" % (i % 5, 8 * (i % 3)) for i in range(30)] + ["B 1 ? s: x"] * 2
        # NEW: some of OLD's rows gone, some doubled, new sites, unknown sizes.
        new_rows = old_rows[5:] + old_rows[10:14] + ["C 3 16 o: T", "A 1 8 s: other", "B 1 ? s: y", "  "]
        old = self.tmp.file("old.gln", report_text(old_rows))
        new = self.tmp.file("new.gln", report_text(new_rows))
        diff = json.loads(run([GLINT, "diff", "--json", old, new]).stdout)
        self.page(new, "--baseline", old)
        marked = {}
        for row in self.page_rows():
            if row["added"]:
                site = (row["cells"][0].removesuffix(" ..."), row["cells"][1])
                marked[site] = marked.get(site, 0) + 1
        wanted = {(s["unit"], s["line"]): s["added"]["allocations"] for s in diff["sites"] if s["added"]["allocations"]}
        self.assertEqual(marked, wanted)
        self.assertEqual(sum(marked.values()), diff["added"]["allocations"])
        text = self.browser.find_element("id", "baseline").text
        self.assertIn("added " + self.count_text(diff["added"]), text)
        self.assertIn("gone " + self.count_text(diff["gone"]), text)

    @staticmethod
    def count_text(count):
        text = "%d allocation%s, %d bytes" % (count["allocations"], "" if count["allocations"] == 1 else "s",
                                               count["bytes"])
        return text + (", %d of unknown size" % count["unknownSize"] if count["unknownSize"] else "")

    def test_report_text_is_shown_as_text_and_never_run(self):
        attacks = ["<script>window.pwned=1</script>", "</script><script>window.pwned=2</script>",
                   "<img src=x onerror=\"window.pwned=3\">", "&amp; &lt; \"quoted\" 'single'",
                   "</textarea><svg onload=window.pwned=4>", "<!--<script>", "\x01L \x01\x01 <\x01"]
        everything = "".join(chr(c) for c in range(1, 256) if c not in (10, 13))
        rows = [("<b>Unit</b> %d 8 o: %s" % (i, a), " <i>detail</i> " + a) for i, a in enumerate(attacks)]
        rows.append(("\xe9t\xe9<u> 1 2 s: " + everything, " " + everything))
        header = HEADER.replace("C:\\Apps\\Demo.exe", "</title><script>window.pwned=5</script>")
        report = self.tmp.file("markup.gln", report_text(rows, ["<b>Unit</b>=<script>window.pwned=6</script>"], header))
        self.page(report)
        for col in (0, 3):
            self.click_title(col)
        _, expected = self.show_rows(report, 0, 3)
        shown = self.page_rows()
        self.assertEqual([r["cells"] for r in shown], self.expected_cells(expected))
        for index, row in enumerate(expected):
            self.browser.find_element("css selector", '#rows .row[data-pos="%d"]' % index).click()
            lines = self.browser.execute_script(
                "return [...document.querySelectorAll('#details-lines div')].map((d) => d.textContent)")
            self.assertEqual(lines, row["details"])
        self.assertIsNone(self.browser.execute_script("return window.pwned"))
        self.assertEqual(self.browser.execute_script(
            "return document.querySelectorAll('main b, main i, main img, main svg:not([role]), main u, textarea').length"),
            0)
        self.assertEqual(self.browser.execute_script("return document.querySelectorAll('script').length"), 1)
        self.assertEqual(self.browser.execute_script("return document.querySelector('#head dd').textContent"),
                         "</title><script>window.pwned=5</script>")
        self.assert_no_script_errors()

    def test_large_report_screenshot(self):
        report = self.tmp.file("large.gln")
        run([GEN_REPORT, "--rows", "100000", report]).check_returncode()
        self.page(report)
        self.click_title(2)
        # The first screen of rows, as glint show sorts them.
        _, rows = self.show_rows(report, 2)
        shown = self.browser.execute_script(
            "return [...document.querySelectorAll('#rows .row:not([hidden])')].map("
            "(d) => [...d.children].map((s) => s.textContent))")
        self.assertGreater(len(shown), 20)
        self.assertEqual(shown, self.expected_cells(rows[:len(shown)]))
        count = self.browser.find_element("id", "count").text
        self.assertEqual(count, "100000 rows")
        self.browser.save_screenshot(os.path.join(SHOTS, "large-100000-rows.png"))


    def test_scrolling_reaches_every_row_of_a_very_long_report(self):
        # 400,000 rows are taller than an element may be: the scroll position
        # maps onto the rows in proportion, and the last row must still show.
        report = self.tmp.file("long.gln")
        run([GEN_REPORT, "--rows", "400000", "--detail-every", "0", report]).check_returncode()
        with open(report, "rb") as f:
            lines = f.read().decode("latin-1").split("\r\n")
        rows = [line.split(" ", 3) for line in lines[9:lines.index("Unit Map:") - 1]]
        self.assertEqual(len(rows), 400000)
        self.page(report)
        for fraction in (0.0, 0.37, 1.0):
            with self.subTest(fraction=fraction):
                shown = self.browser.execute_async_script("""
                    const done = arguments[1], grid = document.getElementById('grid');
                    grid.scrollTop = (grid.scrollHeight - grid.clientHeight) * arguments[0];
                    requestAnimationFrame(() => requestAnimationFrame(() => done(
                      [...document.querySelectorAll('#rows .row:not([hidden])')].map(
                        (d) => [Number(d.dataset.pos), [...d.children].map((s) => s.textContent)]))));""", fraction)
                first = shown[0][0]
                self.assertEqual([p for p, _ in shown], list(range(first, first + len(shown))))
                self.assertEqual([c for _, c in shown], rows[first:first + len(shown)])
                if fraction == 1.0:
                    self.assertEqual(shown[-1][0], len(rows) - 1)
        # Keys keep the selected row in view here too.
        grid = self.browser.find_element("id", "grid")
        for key, pos in ((Keys.HOME, 0), (Keys.PAGE_DOWN, None), (Keys.END, len(rows) - 1), (Keys.UP, len(rows) - 2)):
            grid.send_keys(key)
            selected = self.browser.execute_async_script("""
                const done = arguments[0];
                requestAnimationFrame(() => requestAnimationFrame(() => {
                  const row = document.querySelector('#rows .row.selected:not([hidden])');
                  done(row ? Number(row.dataset.pos) : -1);
                }));""")
            self.assertGreaterEqual(selected, 0, "the selected row is in view")
            if pos is not None:
                self.assertEqual(selected, pos)


class CommandTest(unittest.TestCase):
    def test_errors_and_help(self):
        tmp = TempDir()
        try:
            inventory = os.path.join(SAMPLES, "inventory.gln")
            rejected = run([GLINT, "html", os.path.join(SAMPLES, "too-short.gln")])
            self.assertEqual((rejected.returncode, rejected.stdout), (2, ""))
            self.assertIn("List index out of bounds (5)", rejected.stderr)
            missing = run([GLINT, "html", "--baseline", tmp.file("none.gln"), inventory])
            self.assertEqual(missing.returncode, 2)
            self.assertIn("none.gln", missing.stderr)
            # An output that cannot be written: a message, status 1, and what
            # was there stays.
            kept = tmp.file("kept.html", "before")
            for output in (tmp.path, os.path.join(tmp.path, "no-such-folder", "page.html")):
                unwritable = run([GLINT, "html", "-o", output, inventory])
                self.assertEqual(unwritable.returncode, 1, output)
                self.assertIn("cannot write", unwritable.stderr)
            with open(kept) as f:
                self.assertEqual(f.read(), "before")
            self.assertEqual(sorted(os.listdir(tmp.path)), ["kept.html"])
            self.assertIn("glint html [--baseline OLD]", run([GLINT, "html", "--help"]).stdout)
            self.assertEqual(run([GLINT, "html"]).returncode, 2)
        finally:
            tmp.cleanup()


if __name__ == "__main__":
    unittest.main(verbosity=2)
