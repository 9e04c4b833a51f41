// Turns the user's guide, written in Markdown, into the PDF the plug-in's Help command
// opens: manualpdf SOURCE.md OUTPUT.pdf
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFrameFormat>
#include <cstdio>
#include <cstdlib>

namespace {

// Headings a little larger and in the guide's colour, body text set for reading.
void Style(QTextDocument& doc) {
  QFont body("DejaVu Sans");
  body.setPointSizeF(10.5);
  doc.setDefaultFont(body);
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    if (level == 0) continue;
    QTextCursor cursor(block);
    QTextBlockFormat spacing = block.blockFormat();
    spacing.setTopMargin(level == 1 ? 0 : 14);
    spacing.setBottomMargin(6);
    if (level == 1) spacing.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.setBlockFormat(spacing);
    cursor.select(QTextCursor::BlockUnderCursor);
    QTextCharFormat heading;
    heading.setFontPointSize(level == 1 ? 22 : (level == 2 ? 15 : 12));
    heading.setFontWeight(QFont::Bold);
    heading.setForeground(QColor(0x1E, 0x3A, 0x5F));
    cursor.mergeCharFormat(heading);
  }
  // The title page needs no break before it.
  QTextCursor first(doc.begin());
  QTextBlockFormat format = doc.begin().blockFormat();
  format.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
  first.setBlockFormat(format);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: manualpdf SOURCE.md OUTPUT.pdf\n");
    return 2;
  }
  // A build step has no screen; fonts are all it needs.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  QFile source(QString::fromLocal8Bit(argv[1]));
  if (!source.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "manualpdf: cannot read %s\n", argv[1]);
    return 1;
  }
  QTextDocument doc;
  doc.setMarkdown(QString::fromUtf8(source.readAll()));
  if (doc.isEmpty()) {
    std::fprintf(stderr, "manualpdf: %s is empty\n", argv[1]);
    return 1;
  }
  Style(doc);

  const QString output = QString::fromLocal8Bit(argv[2]);
  const QString partial = output + ".part";
  {
    QPdfWriter pdf(partial);
    pdf.setTitle("Vantiro User's Guide");
    pdf.setCreator("Vantiro");
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 18),
                                  QPageLayout::Millimeter));
    pdf.setResolution(300);
    doc.print(&pdf);
  }
  QFile::remove(output);
  if (!QFile::rename(partial, output)) {
    std::fprintf(stderr, "manualpdf: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
