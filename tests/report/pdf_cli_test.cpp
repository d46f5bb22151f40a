// velmora-cli pdf: exit codes, messages, embedded fonts, extractable text,
// and sheets that do not depend on the screen or the locale.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "format/xdx_writer.h"
#include "report_test_support.h"
#include "test_support.h"

namespace velmora::test {
namespace {

struct Result {
  int exit = -1;
  QString out, err;
};

Result runCli(const QStringList& args, const std::map<QString, QString>& env = {},
              const QString& program = QStringLiteral(VELMORA_CLI)) {
  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  // No display and no platform: the command finds its own.
  e.remove(QStringLiteral("DISPLAY"));
  e.remove(QStringLiteral("WAYLAND_DISPLAY"));
  e.remove(QStringLiteral("QT_QPA_PLATFORM"));
  for (const auto& [k, v] : env) e.insert(k, v);
  p.setProcessEnvironment(e);
  p.start(program, args);
  p.waitForFinished(60000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

QString tool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(PdfCommand, ExitCodesAndMessages) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("out.pdf"));
  struct Case {
    QStringList args;
    int exit;
    const char* errContains;
    bool written;
  } cases[] = {
      {{"pdf", QString::fromStdString(fixture("sample.xdx")), out}, 0, "", true},
      {{"pdf", QString::fromStdString(fixture("formal.xdx")), out}, 0, "", true},
      {{"pdf", QString::fromStdString(fixture("wrong-version.xdx")), out},
       2,
       "wrong-version.xdx：您选择的文档不是用本申报系统生成的\n",
       false},
      {{"pdf", QString::fromStdString(fixture("malformed.xdx")), out},
       2,
       "malformed.xdx：XML 格式错误（第 4 行",
       false},
      {{"pdf", dir.filePath(QStringLiteral("missing.xdx")), out}, 2, "missing.xdx：无法打开文件", false},
      {{"pdf", QString::fromStdString(fixture("sample.xdx")), dir.filePath(QStringLiteral("no/such/dir.pdf"))},
       2,
       "dir.pdf：无法写入文件“",
       false},
      {{"pdf", QString::fromStdString(fixture("sample.xdx"))}, 2, "用法: velmora-cli pdf [选项] IN OUT.pdf", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(u' ').toStdString());
    QFile::remove(out);
    const Result r = runCli(c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.errContains))) << r.err.toStdString();
    EXPECT_EQ(readAll(out).startsWith("%PDF-"), c.written);
  }
  const Result help = runCli({"pdf", "--help"});
  EXPECT_EQ(help.exit, 0);
  EXPECT_TRUE(help.out.contains(u"用法: velmora-cli pdf [选项] IN OUT.pdf"));
  EXPECT_TRUE(help.out.contains(u"--out-dir DIR"));
}

// The sample document with the text of `element` replaced by `text`.
QString sampleWith(const QTemporaryDir& dir, const QString& name, const std::string& element, const std::string& text) {
  std::string bytes = readFile(fixture("sample.xdx"));
  const std::size_t open = bytes.find("<" + element + ">") + element.size() + 2;
  bytes.replace(open, bytes.find("</" + element + ">", open) - open, text);
  writeFile(dir.filePath(name).toStdString(), bytes);
  return dir.filePath(name);
}

// Every document up to the size limit prints, or is refused with its reason,
// within a gigabyte of memory (the address space is limited to that, so a
// command that needs more fails): a cell of 63 MB prints what its cell can
// show (it needed 3.3 GB); a text that would run past the sheet limit is
// refused naming the text, never cut short (a one-word text of 9 MB took
// 96 s and 560 MB, and the PDF was cut at 1 010 pages without a word).
TEST(PdfCommand, HugeTextsPrintOrAreRefusedWithinAGigabyte) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("out.pdf"));
  std::string manyLines;
  for (int i = 0; i < 20000; ++i) manyLines += "x,";
  struct Case {
    const char* label;
    QString path;
    int exit;
    const char* errContains;
    int pages;  // of the PDF written
  } cases[] = {
      {"a 63 MB table cell", sampleWith(dir, "cell.xdx", "MainActor1", std::string(63000000, 'x')), 0, "", 11},
      {"20 000 lines, more than 300 sheets", sampleWith(dir, "lines.xdx", "ProjectAnalyze", manyLines), 2,
       "lines.xdx：“ProjectAnalyze”的文字过长：打印需要超过 300 页，无法打印", 0},
      {"one word of 63 MB", sampleWith(dir, "word.xdx", "ProjectAnalyze", std::string(63000000, 'x')), 2,
       "word.xdx：“ProjectAnalyze”的文字过长（超过 200000 个字符），不是申报文档", 0},
      {"a line field of 63 MB", sampleWith(dir, "name.xdx", "ProjectName", std::string(63000000, 'x')), 0, "", 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    QFile::remove(out);
    const Result r = runCli({QStringLiteral("-c"), QStringLiteral("ulimit -v 1000000 && exec \"$0\" \"$@\""),
                             QStringLiteral(VELMORA_CLI), QStringLiteral("pdf"), c.path, out},
                            {}, QStringLiteral("/bin/sh"));
    EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.errContains))) << r.err.toStdString();
    const QByteArray pdf = readAll(out);
    EXPECT_EQ(c.pages > 0, pdf.startsWith("%PDF-"));
    if (c.pages == 0) continue;
    const auto text = pdfText(pdf);
    EXPECT_EQ(static_cast<int>(text.size()), c.pages);
    // The text shows its start: the name on the cover, the cell on the data table's sheet.
    EXPECT_TRUE(text.size() > 2 && (text[0].contains(u"xxxxxxxxxx") || text[2].contains(u"xxxxxxxxxx")));
  }
}

// Realistic entries longer than their cells print whole on either paper:
// pdftotext reads every character of them, in order, and nothing is named
// on standard error. A cell too long even at the smallest size prints its
// start and "…", and the command names it, still writing the PDF and
// exiting 0.
TEST(PdfCommand, RealisticEntriesPrintWholeAndCutOnesAreNamed) {
  struct Entry {
    Field table;
    int row, column;
    const char* text;
  } entries[] = {
      {Field::Production, 0, 0, "区域推进中小学学习共同体建设的理论与实践研究——以海淀区为例"},
      {Field::ResearchedProject, 0, 2, "教育部人文社会科学重点研究基地重大项目"},
      {Field::MainActor, 0, 0, "欧阳晓燕"},
      {Field::MainActor, 0, 8, "华东师范大学课程与教学研究所教育学部"},
      {Field::MainActor, 1, 0, "赵敏"},
  };
  Record rec = openedFixture("sample.xdx").record();
  for (const Entry& e : entries) rec.setCell(e.table, e.row, e.column, e.text);
  rec.setText(Field::ProjectName, "区域推进中小学学习共同体建设的理论与实践研究——以海淀区为例");
  QTemporaryDir dir;
  const QString doc = dir.filePath(QStringLiteral("realistic.xdx"));
  writeFile(doc.toStdString(), buildXdx(rec, {}));
  for (const char* paper : {"a4", "letter"}) {
    SCOPED_TRACE(paper);
    const QString out = dir.filePath(QStringLiteral("realistic-%1.pdf").arg(QString::fromLatin1(paper)));
    const Result r = runCli({"pdf", "--paper", QString::fromLatin1(paper), doc, out});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.err, QString()) << r.err.toStdString();
    // In the order the lines are drawn, which keeps a wrapped cell's lines together.
    QString text = tool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), out, QStringLiteral("-")});
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const Entry& e : entries) EXPECT_TRUE(text.contains(QString::fromUtf8(e.text))) << e.text;
  }

  std::string endless;
  for (int i = 0; i < 16; ++i) endless += "教育部人文社会科学重点研究基地重大项目";
  rec.setCell(Field::ResearchedProject, 0, 2, endless);
  rec.setText(Field::BankAccount, endless);
  writeFile(doc.toStdString(), buildXdx(rec, {}));
  const QString out = dir.filePath(QStringLiteral("cut.pdf"));
  const Result r = runCli({"pdf", doc, out});
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.err.toStdString(),
            QStringLiteral("%1：打印时未能完整显示：研究课题第1行“课题类别”（第 4 页）、银行帐号（第 8 页）\n")
                .arg(doc)
                .toStdString());
  QString text = tool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), out, QStringLiteral("-")});
  text.remove(QRegularExpression(QStringLiteral("\\s")));
  EXPECT_TRUE(text.contains(u"教育部人文社会科学重点研究基地重大项目教育部人文")) << text.toStdString();
  EXPECT_TRUE(text.contains(u"…"));
  const Result wrongPaper = runCli({"pdf", "--paper", "a3", doc, out});
  EXPECT_EQ(wrongPaper.exit, 2);
  EXPECT_TRUE(wrongPaper.err.contains(u"纸张只能是 a4 或 letter")) << wrongPaper.err.toStdString();
}

// Every font embedded as a subset; every field's text extractable.
TEST(PdfCommand, FontsEmbeddedAndTextExtractable) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("sample.pdf"));
  ASSERT_EQ(runCli({"pdf", QString::fromStdString(fixture("sample.xdx")), out}).exit, 0);
  const QStringList fonts = tool(QStringLiteral("pdffonts"), {out}).split(u'\n', Qt::SkipEmptyParts).mid(2);
  ASSERT_GE(fonts.size(), 4);
  for (const QString& line : fonts) {
    const QStringList cols = line.simplified().split(u' ');
    ASSERT_GE(cols.size(), 7) << line.toStdString();
    EXPECT_EQ(cols[cols.size() - 5], "yes") << "embedded: " << line.toStdString();
    EXPECT_EQ(cols[cols.size() - 4], "yes") << "subset: " << line.toStdString();
    EXPECT_FALSE(line.contains(u"JP")) << line.toStdString();
  }
  QString text =
      tool(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).normalized(QString::NormalizationForm_KC);
  text.remove(QRegularExpression(QStringLiteral("\\s")));
  const FormState s = openedFixture("sample.xdx");
  int checked = 0;
  for (const FieldDef& d : allFields()) {
    if (d.kind == Kind::Table || d.id == Field::GuideNum || d.id == Field::Age || d.id == Field::Purpose ||
        d.id == Field::ProjectID || d.kind == Kind::LongText)
      continue;
    QString v = QString::fromStdString(s.record().valueText(d.id)).normalized(QString::NormalizationForm_KC);
    v.remove(QRegularExpression(QStringLiteral("\\s")));
    if (v.isEmpty()) continue;
    EXPECT_TRUE(text.contains(v)) << d.name << ": " << v.toStdString();
    ++checked;
  }
  EXPECT_GT(checked, 30);
  for (const auto& row : s.record().rows(Field::MainActor))
    for (const auto& cell : row)
      EXPECT_TRUE(text.contains(QString::fromStdString(cell).remove(u' ').normalized(QString::NormalizationForm_KC)))
          << cell;
}

// The sheets are laid out at the program's own resolution: the screen's dots
// per inch, its scale factor and the locale change nothing on paper.
TEST(PdfCommand, SheetsIgnoreScreenAndLocale) {
  QTemporaryDir dir;
  const QString sample = QString::fromStdString(fixture("sample.xdx"));
  auto render = [&](const QString& name, const std::map<QString, QString>& env) {
    const QString out = dir.filePath(name);
    EXPECT_EQ(runCli({"pdf", sample, out}, env).exit, 0);
    return pdfText(readAll(out));
  };
  const auto base = render("a.pdf", {{"LANG", "C.UTF-8"}});
  const std::map<QString, QString> others[] = {
      {{"QT_QPA_PLATFORM", "offscreen"}, {"QT_FONT_DPI", "192"}, {"QT_SCALE_FACTOR", "2"}},
      {{"LANG", "ja_JP.UTF-8"}, {"LC_ALL", "ja_JP.UTF-8"}, {"QT_FONT_DPI", "72"}},
  };
  int n = 0;
  for (const auto& env : others) {
    const auto other = render(QStringLiteral("b%1.pdf").arg(++n), env);
    ASSERT_EQ(other.size(), base.size());
    for (std::size_t i = 0; i < base.size(); ++i) {
      EXPECT_EQ(other[i].chars, base[i].chars) << i;
      ASSERT_EQ(other[i].boxes.size(), base[i].boxes.size());
      for (std::size_t k = 0; k < base[i].boxes.size(); ++k)
        ASSERT_EQ(other[i].boxes[k], base[i].boxes[k]) << "sheet " << i << " char " << k;
    }
  }
}

}  // namespace
}  // namespace velmora::test
