#!/usr/bin/env python3
"""Checks of scripts/catalogue.py: which texts of a source count as reaching the loader, the
checks of a translation, the key-log check and the export."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "scripts"))
import catalogue  # noqa: E402


class Tree:
    """A throw-away source tree with src/ and po/ for the tool to read."""

    def __init__(self, files):
        self.dir = tempfile.TemporaryDirectory()
        for rel, text in files.items():
            path = os.path.join(self.dir.name, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        os.makedirs(os.path.join(self.dir.name, "po"), exist_ok=True)
        self.saved = (catalogue.ROOT, catalogue.POT, catalogue.DYNAMIC)

    def __enter__(self):
        catalogue.ROOT = self.dir.name
        catalogue.POT = os.path.join(self.dir.name, "po", "scTAVExt.pot")
        return self

    def __exit__(self, *exc):
        catalogue.ROOT, catalogue.POT, catalogue.DYNAMIC = self.saved
        self.dir.cleanup()

    def path(self, rel):
        return os.path.join(self.dir.name, rel)

    def write(self, rel, text):
        with open(self.path(rel), "w", encoding="utf-8") as f:
            f.write(text)


SOURCE = r'''
// LoadPWString("注释里的") is no call
/* FormatPWString("也不是") */
void F(bool own) {
  ShowMessage(LoadPWString("审核"), 64);
  ShowMessage(FormatPWString("单据 %1 "
                             "提交成功！", {no}), 64);
  std::string r = LoadPWString(own ? "本人的" : "他人的");
  sc::LoadPWString("  两边有空格  ");
  LoadPWString("   ");
  static const char* const kUnits[] = {N_("元"), N_("十元")};
  LoadPWString("引号\"和\\n");
}
'''


class ExtractTest(unittest.TestCase):
    def test_literals_conditionals_concatenation_and_marks_count_comments_do_not(self):
        with Tree({"src/a/x.cpp": SOURCE}):
            keys, problems = catalogue.extract()
        self.assertEqual(problems, [])
        self.assertEqual(set(keys), {"审核", "单据 %1 提交成功！", "本人的", "他人的", "两边有空格",
                                     "元", "十元", '引号"和\\n'})
        self.assertEqual(keys["单据 %1 提交成功！"], ["src/a/x.cpp:6"])
        self.assertEqual(keys["十元"], ["src/a/x.cpp:11"])

    def test_a_text_from_elsewhere_must_be_listed(self):
        source = "void F(const Error& e) { ShowMessage(LoadPWString(e.Description()), 64); }\n"
        with Tree({"src/a/y.cpp": source}):
            _, problems = catalogue.extract()
            self.assertEqual(len(problems), 1)
            self.assertIn("src/a/y.cpp:1: LoadPWString(e.Description())", problems[0])
            catalogue.DYNAMIC = {("src/a/y.cpp", "e.Description()"): "the host's text"}
            _, problems = catalogue.extract()
            self.assertEqual(problems, [])
            # A listing whose call has gone is stale.
            catalogue.DYNAMIC[("src/a/y.cpp", "reason")] = "gone"
            _, problems = catalogue.extract()
            self.assertEqual(len(problems), 1)
            self.assertIn("'reason', which is no longer there", problems[0])

    def test_the_pot_is_stale_when_a_source_text_changes(self):
        with Tree({"src/a/x.cpp": SOURCE}) as tree:
            self.assertEqual(catalogue.main(["pot"]), 0)
            self.assertEqual(catalogue.main(["pot", "--check"]), 0)
            tree.write("src/a/x.cpp", SOURCE.replace("审核", "审批"))
            self.assertEqual(catalogue.main(["pot", "--check"]), 1)


POT_SOURCE = ('void F() { LoadPWString("删除[编号：%1]失败|"); LoadPWString("审核"); '
              'LoadPWString("关闭(&C)"); }\n')


class TranslationTest(unittest.TestCase):
    def check(self, entries):
        with Tree({"src/a/x.cpp": POT_SOURCE}) as tree:
            catalogue.main(["pot"])
            _, pot = catalogue.read_po(catalogue.POT)
            tree.write("po/xx.po", catalogue.po_text("xx", pot, entries))
            return catalogue.check_translation("xx", [m for _, m, _ in pot])

    def test_complete_and_consistent(self):
        self.assertEqual(self.check({"删除[编号：%1]失败|": "Bill %1 failed|", "审核": "Check",
                                     "关闭(&C)": "&Close"}), [])

    def test_faults_of_a_translation_are_named(self):
        cases = [
            ({"删除[编号：%1]失败|": "Bill %1 failed|"}, "'审核' has no translation"),
            ({"删除[编号：%1]失败|": "Bill failed|", "审核": "Check"}, "placeholders"),
            ({"删除[编号：%1]失败|": "Bill %1 %2 failed|", "审核": "Check"}, "placeholders"),
            ({"删除[编号：%1]失败|": "Bill %1 failed", "审核": "Check"}, '"|" variant'),
            ({"删除[编号：%1]失败|": "Bill %1 failed|", "审核": "Check", "关闭(&C)": "Close"},
             'access key'),
        ]
        for entries, fault in cases:
            found = self.check(entries)
            self.assertTrue(any(fault in p for p in found), (entries, found))


class KeyLogTest(unittest.TestCase):
    def test_only_keys_neither_catalogued_nor_raised_fail(self):
        with Tree({"src/a/x.cpp": POT_SOURCE}) as tree:
            catalogue.main(["pot"])
            tree.write("keys.log", "key\t审核\nkey\t查询超时\nraised\t查询超时\n"
                       "key\tType mismatch\nruntime\tType mismatch\nkey\t删除[编号：%1]失败|\n")
            self.assertEqual(catalogue.check_keys(tree.path("keys.log")), 0)
            tree.write("keys.log", "key\t审核\nkey\t新的\\n文字\n")
            self.assertEqual(catalogue.check_keys(tree.path("keys.log")), 1)
            self.assertEqual(catalogue.read_key_log(tree.path("keys.log"))[0], {"审核", "新的\n文字"})

    def test_export_has_one_entry_per_line_and_leaves_out_untranslated_texts(self):
        with Tree({"src/a/x.cpp": POT_SOURCE}) as tree:
            catalogue.main(["pot"])
            _, pot = catalogue.read_po(catalogue.POT)
            tree.write("po/xx.po", catalogue.po_text(
                "xx", pot, {"删除[编号：%1]失败|": "Bill %1 failed |", "审核": "Check"}))
            self.assertEqual(catalogue.main(["export", "xx", tree.path("out.txt")]), 0)
            with open(tree.path("out.txt"), encoding="utf-8") as f:
                self.assertEqual(f.read(), "删除[编号：%1]失败|\tBill %1 failed |\n审核\tCheck\n")


if __name__ == "__main__":
    unittest.main()
