#include "report_test_support.h"

#include <poppler-qt6.h>

#include <QRegularExpression>
#include <stdexcept>

#include "document/document_actions.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"
#include "test_support.h"

namespace velmora::test {

FormState openedFixture(const std::string& name) {
  FormState state;
  ScriptedPrompter prompter;
  state.setPendingPath(fixture(name));
  if (openDocument(state, prompter) != OpenOutcome::Opened) throw std::runtime_error("fixture does not open: " + name);
  return state;
}

std::vector<report::Sheet> sheetsOf(const Record& record, bool formal) {
  return report::generateSheets(report::filledReport(record, formal));
}

QByteArray pdfOf(const Record& record, bool formal) { return report::pdfBytes(sheetsOf(record, formal)); }

std::optional<QRectF> PageText::find(QStringView text, qsizetype from) const {
  QString needle = text.toString().normalized(QString::NormalizationForm_KC);
  needle.remove(u' ');
  const qsizetype at = chars.indexOf(needle, from);
  if (at < 0) return std::nullopt;
  return boxes[static_cast<std::size_t>(at)];
}

std::vector<PageText> pdfText(const QByteArray& pdf) {
  std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(pdf);
  if (!doc) throw std::runtime_error("poppler cannot read the PDF");
  std::vector<PageText> pages;
  for (int i = 0; i < doc->numPages(); ++i) {
    std::unique_ptr<Poppler::Page> page = doc->page(i);
    PageText pt;
    for (const auto& box : page->textList()) {
      const QString t = box->text();
      for (int c = 0; c < t.size(); ++c) {
        const QString ch = QString(t[c]).normalized(QString::NormalizationForm_KC);
        if (ch.trimmed().isEmpty()) continue;
        const QRectF r = box->charBoundingBox(c);
        for (QChar k : ch) {
          pt.chars += k;
          pt.boxes.emplace_back(r.x() / 72.0, r.y() / 72.0, r.width() / 72.0, r.height() / 72.0);
        }
      }
    }
    pages.push_back(std::move(pt));
  }
  return pages;
}

std::vector<int> sheetNumbers(const QByteArray& pdf) {
  static const QRegularExpression pageNumber(QStringLiteral("-(\\d+)-"));
  std::vector<int> out;
  for (const PageText& page : pdfText(pdf)) {
    // The commitment names the form too: it is told by its heading first.
    if (page.contains(u"申请者的承诺与成果使用授权")) {
      out.push_back(2);
    } else if (page.contains(u"课题申请·评审书")) {
      out.push_back(1);
    } else {
      // The number stands at the sheet's foot, after every other text.
      int number = -1;
      for (auto it = pageNumber.globalMatch(page.chars); it.hasNext();) number = it.next().captured(1).toInt();
      out.push_back(number + 1);
    }
  }
  return out;
}

std::vector<std::string> numberedLines(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back("第" + std::to_string(i) + "行课题研究内容");
  return lines;
}

}  // namespace velmora::test
