// manualgen: turns the user manual, written in the HTML subset that Qt's rich-text
// engine understands, into the A4 PDF that the viewer opens from its Help menu.
//
//   manualgen -o <output.pdf> [--font <family>] [--strict-glyphs] <input.html>...
//
// The PDF gets a cover page, a table of contents with page numbers (built from the
// <h1>/<h2> headings), and a running header and page number on every later page.
// The PDF is rendered in memory, its text maps are corrected so that Chinese words can
// be searched and copied, and it is written through QSaveFile, so a failed run never
// leaves a truncated manual behind in the program directory.
//
// Exit codes: 0 written, 1 bad command line, 2 an input cannot be read,
// 3 the output cannot be written, 4 glyphs missing (only with --strict-glyphs).

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <cmath>
#include <cstdio>

namespace {

constexpr int kDpi = 300;
constexpr qreal kPageMarginLeftMm = 20.0;
constexpr qreal kPageMarginRightMm = 20.0;
constexpr qreal kPageMarginTopMm = 12.0;
constexpr qreal kPageMarginBottomMm = 12.0;
// Bands inside the printable area that hold the running header and the page number.
constexpr qreal kHeaderBandMm = 13.0;
constexpr qreal kFooterBandMm = 11.0;
constexpr qreal kBodyPointSize = 10.5;
// A heading that starts in this last share of a page moves to the next page.
constexpr qreal kHeadingFootZone = 0.08;
// Marks the page breaks added for headings, as opposed to those the source asks for.
constexpr int kMovedHeadingProperty = QTextFormat::UserProperty + 1;

// First family found wins; the Windows names keep the generator usable there too.
const char* const kPreferredFamilies[] = {
    "Noto Sans CJK SC",
    "Noto Sans SC",
    "Source Han Sans SC",
    "Source Han Sans CN",
    "WenQuanYi Micro Hei",
    "Microsoft YaHei",
    "微软雅黑",
    "SimHei",
    "Noto Serif CJK SC",
    "AR PL UMing CN",
    "SimSun",
};

const char* const kContentsTitle = "目录 / Contents";

const QColor kAccent(0x1f, 0x4e, 0x8c);
const QColor kMuted(0x70, 0x70, 0x70);

const char* const kStyleSheet = R"(
h1 { font-size: 17pt; color: #1f4e8c; margin-top: 18pt; margin-bottom: 8pt; }
h2 { font-size: 13pt; color: #1f4e8c; margin-top: 14pt; margin-bottom: 5pt; }
h3 { font-size: 11pt; color: #333333; margin-top: 10pt; margin-bottom: 4pt; }
p  { margin-top: 3pt; margin-bottom: 5pt; line-height: 125%; }
li { margin-top: 1pt; margin-bottom: 2pt; line-height: 122%; }
table { margin-top: 4pt; margin-bottom: 8pt; }
th { background-color: #dde6f2; font-weight: bold; }
code { font-family: "Noto Sans Mono CJK SC", "DejaVu Sans Mono", monospace; }
)";

void fail(const QString& message)
{
    std::fprintf(stderr, "manualgen: %s\n", qUtf8Printable(message));
}

qreal mmToDevice(qreal mm)
{
    return mm * kDpi / 25.4;
}

bool readUtf8(const QString& path, QString* text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *text = QString::fromUtf8(file.readAll());
    return true;
}

QString bodyOf(const QString& html)
{
    static const QRegularExpression body(QStringLiteral("<body[^>]*>(.*)</body>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = body.match(html);
    return match.hasMatch() ? match.captured(1) : html;
}

QString titleOf(const QString& html)
{
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = title.match(html);
    return match.hasMatch() ? match.captured(1).simplified() : QString();
}

// <meta name="..." content="..."> with the attributes in this order, as our sources write it.
QString metaOf(const QString& html, const QString& name)
{
    const QRegularExpression meta(QStringLiteral("<meta\\s+name=\"%1\"\\s+content=\"([^\"]*)\"")
                                      .arg(QRegularExpression::escape(name)),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = meta.match(html);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString pickFamily(const QString& requested)
{
    const QStringList available = QFontDatabase().families();
    QStringList candidates;
    if (!requested.isEmpty())
        candidates << requested;
    for (const char* family : kPreferredFamilies)
        candidates << QString::fromUtf8(family);
    for (const QString& family : candidates) {
        if (available.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return QString();
}

// Characters of the text that the chosen font cannot draw; Qt would fall back to
// another family for them, or draw empty boxes when no installed font has them.
QString missingGlyphs(const QFont& font, const QString& text)
{
    const QRawFont raw = QRawFont::fromFont(font);
    QString missing;
    const QVector<uint> codePoints = text.toUcs4();
    for (uint codePoint : codePoints) {
        if (codePoint < 0x20 || QChar::isSpace(codePoint) || codePoint == 0xfffc
            || codePoint == QChar::LineSeparator || codePoint == QChar::ParagraphSeparator)
            continue;
        if (!raw.supportsCharacter(codePoint)) {
            const QString character = QString::fromUcs4(&codePoint, 1);
            if (!missing.contains(character))
                missing += character;
        }
    }
    return missing;
}

// Qt builds a font's text map (ToUnicode) from the lowest code point that reaches each
// glyph. CJK fonts share glyphs between the radical blocks (U+2E80..U+2FDF) and the
// ideographs they look like, so 用, 文, 口, 见 ... would come back from the PDF as
// radicals and a search for "窗口" would find nothing. The manual's own text says which
// ideograph a shared glyph stands for.
constexpr uint kFirstRadical = 0x2e80;
constexpr uint kLastRadical = 0x2fdf;

bool isRadical(uint codePoint)
{
    return codePoint >= kFirstRadical && codePoint <= kLastRadical;
}

QHash<uint, uint> ideographsForRadicals(const QList<QFont>& fonts, const QString& text)
{
    QHash<uint, uint> ideographs;
    const QVector<uint> codePoints = text.toUcs4();
    for (const QFont& font : fonts) {
        const QRawFont raw = QRawFont::fromFont(font);
        QHash<quint32, uint> charOfGlyph;
        for (uint codePoint : codePoints) {
            if (codePoint < 0x3000 || isRadical(codePoint))
                continue;
            const QVector<quint32> glyphs
                = raw.glyphIndexesForString(QString::fromUcs4(&codePoint, 1));
            if (glyphs.size() == 1 && glyphs.first() != 0 && !charOfGlyph.contains(glyphs.first()))
                charOfGlyph.insert(glyphs.first(), codePoint);
        }
        for (uint radical = kFirstRadical; radical <= kLastRadical; ++radical) {
            if (ideographs.contains(radical) || text.contains(QString::fromUcs4(&radical, 1)))
                continue;
            const QVector<quint32> glyphs
                = raw.glyphIndexesForString(QString::fromUcs4(&radical, 1));
            if (glyphs.size() == 1 && charOfGlyph.contains(glyphs.first()))
                ideographs.insert(radical, charOfGlyph.value(glyphs.first()));
        }
    }
    return ideographs;
}

// Every code keeps its four hex digits, so no offset in the file moves.
void mapRadicalsToIdeographs(QByteArray& pdf, const QHash<uint, uint>& ideographs)
{
    static const QRegularExpression toUnicodeRef(QStringLiteral("/ToUnicode (\\d+) 0 R"));
    static const QRegularExpression hexCode(QStringLiteral("<([0-9A-Fa-f]{4})>"));
    // With an explicit size: the QByteArray overload stops at the first NUL byte, and
    // embedded font programs are full of them.
    const QString text = QString::fromLatin1(pdf.constData(), pdf.size());
    QRegularExpressionMatchIterator refs = toUnicodeRef.globalMatch(text);
    while (refs.hasNext()) {
        const QString object = QStringLiteral("\n%1 0 obj").arg(refs.next().captured(1));
        const int objectAt = text.indexOf(object);
        const int streamAt = objectAt < 0 ? -1 : text.indexOf(QStringLiteral("stream"), objectAt);
        const int endAt = streamAt < 0 ? -1 : text.indexOf(QStringLiteral("endstream"), streamAt);
        if (endAt < 0)
            continue;
        // Only destinations inside [...] arrays and after bfchar sources are rewritten;
        // the glyph codes before them are left alone.
        const QString map = text.mid(streamAt, endAt - streamAt);
        const QStringList lines = map.split(QLatin1Char('\n'));
        int lineAt = streamAt;
        bool inChars = false;
        for (const QString& line : lines) {
            if (line.startsWith(QLatin1String("beginbfchar")))
                inChars = true;
            else if (line.startsWith(QLatin1String("endbfchar")))
                inChars = false;
            const int arrayAt = line.indexOf(QLatin1Char('['));
            int from = arrayAt >= 0 ? arrayAt : -1;
            if (from < 0 && inChars)
                from = line.indexOf(QLatin1Char('>')) + 1; // past the source code
            if (from > 0) {
                QRegularExpressionMatchIterator codes = hexCode.globalMatch(line, from);
                while (codes.hasNext()) {
                    const QRegularExpressionMatch code = codes.next();
                    const uint codePoint = code.captured(1).toUInt(nullptr, 16);
                    const uint ideograph = ideographs.value(codePoint);
                    if (ideograph == 0 || ideograph > 0xffff)
                        continue;
                    const QByteArray replacement
                        = QByteArray::number(ideograph, 16).toUpper().rightJustified(4, '0');
                    pdf.replace(lineAt + code.capturedStart(1), 4, replacement);
                }
            }
            lineAt += line.size() + 1;
        }
    }
}

struct Heading {
    int level = 0;
    QString text;
    int bodyPage = 0; // zero-based page inside the body document
    bool startsPart = false; // the heading forces a new page
};

// Top of the block's first line: the layout moves lines that would straddle a page
// boundary down, so the first line's position is the one that counts.
qreal topOfBlock(const QTextDocument& doc, const QTextBlock& block)
{
    qreal top = doc.documentLayout()->blockBoundingRect(block).top();
    if (block.layout() && block.layout()->lineCount() > 0)
        top += block.layout()->lineAt(0).y();
    return top;
}

// The layout's fixed-point arithmetic can leave a block that opens a page a fraction of
// a pixel above the page boundary; one device pixel of slack puts it on its real page.
int pageOfBlock(const QTextDocument& doc, const QTextBlock& block, qreal pageHeight)
{
    return qMax(0, int(std::floor((topOfBlock(doc, block) + 1.0) / pageHeight)));
}

// Qt's layout has no keep-with-next, so a heading can end up alone at the foot of a
// page. Such headings get a page break; blocks are checked in order, so each check
// sees the layout after the moves before it.
void keepHeadingsWithText(QTextDocument& doc, qreal pageHeight)
{
    QTextBlock block = doc.begin();
    while (block.isValid()) {
        const QTextBlockFormat format = block.blockFormat();
        const QTextBlock next = block.next();
        if (format.headingLevel() == 0 || !next.isValid()
            || (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)) {
            block = next;
            continue;
        }
        const int page = pageOfBlock(doc, block, pageHeight);
        const qreal offsetInPage = topOfBlock(doc, block) - page * pageHeight;
        const bool atFoot = offsetInPage > pageHeight * (1.0 - kHeadingFootZone);
        const bool cutOff = pageOfBlock(doc, next, pageHeight) != page;
        if (atFoot || cutOff) {
            QTextBlockFormat moved = format;
            moved.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            moved.setProperty(kMovedHeadingProperty, true);
            QTextCursor(block).setBlockFormat(moved);
            // The layout only catches up lazily; lay everything out again before the
            // positions of later blocks are read.
            doc.markContentsDirty(0, doc.characterCount());
            doc.documentLayout()->documentSize();
        }
        block = next;
    }
}

QVector<Heading> collectHeadings(const QTextDocument& doc, qreal pageHeight)
{
    QVector<Heading> headings;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 1 || level > 2)
            continue;
        const QString text = block.text().simplified();
        if (text.isEmpty())
            continue;
        const QTextBlockFormat format = block.blockFormat();
        const bool pageBreak = (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            && !format.boolProperty(kMovedHeadingProperty);
        headings.append({level, text, pageOfBlock(doc, block, pageHeight), pageBreak});
    }
    return headings;
}

void prepare(QTextDocument& doc, QPaintDevice* device, const QFont& font)
{
    doc.documentLayout()->setPaintDevice(device);
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(QString::fromUtf8(kStyleSheet));
    doc.setDocumentMargin(0);
}

QString tocEntries(const QVector<Heading>& headings, int begin, int end, int firstBodyPage)
{
    QString html = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" border=\"0\">");
    for (int i = begin; i < end; ++i) {
        const Heading& heading = headings.at(i);
        const QString text = heading.text.toHtmlEscaped();
        html
            += QStringLiteral("<tr><td>%1</td><td align=\"right\" width=\"8%\">%2</td></tr>")
                   .arg(heading.level == 1 ? QStringLiteral("<b>%1</b>").arg(text)
                                           : QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;%1").arg(text),
                       QString::number(firstBodyPage + heading.bodyPage));
    }
    html += QStringLiteral("</table>");
    return html;
}

// A document made of two parts, the second starting on a new page (the manual's
// language sections), gets its contents side by side; anything else gets one column.
QString tocHtml(const QVector<Heading>& headings, int firstBodyPage)
{
    QString html = QStringLiteral("<h1>%1</h1>").arg(QString::fromUtf8(kContentsTitle));
    QVector<int> partStarts;
    for (int i = 1; i < headings.size(); ++i) {
        if (headings.at(i).startsPart)
            partStarts.append(i);
    }
    if (partStarts.size() != 1)
        return html + tocEntries(headings, 0, headings.size(), firstBodyPage);
    const int split = partStarts.first();
    return html
        + QStringLiteral(
            "<table width=\"100%\" cellspacing=\"0\" border=\"0\"><tr>"
            "<td width=\"48%\">%1</td><td width=\"4%\"></td><td width=\"48%\">%2</td></tr></table>")
              .arg(tocEntries(headings, 0, split, firstBodyPage),
                  tocEntries(headings, split, headings.size(), firstBodyPage));
}

// Table measures are pixels at 96 dpi, which the layout scales to the device.
qreal mmToTablePixels(qreal mm)
{
    return mm * 96.0 / 25.4;
}

// The same borders and padding for every table; the HTML attributes only say whether a
// table has a border at all.
void adjustTables(QTextFrame* frame)
{
    const QList<QTextFrame*> children = frame->childFrames();
    for (QTextFrame* child : children) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            const bool bordered = format.border() > 0;
            format.setCellSpacing(0);
            format.setCellPadding(mmToTablePixels(bordered ? 0.7 : 0.3));
            if (bordered) {
                format.setBorder(1.0); // about 0.26 mm; thinner collapsed borders are not drawn
                format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
                format.setBorderBrush(QColor(0x9a, 0xa8, 0xbb));
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
                format.setBorderCollapse(true);
#endif
            }
            table->setFormat(format);
        }
        adjustTables(child);
    }
}

struct PageGeometry {
    QRectF header; // band above the body
    QRectF body;
    QRectF footer; // band below the body
};

PageGeometry pageGeometry(const QPdfWriter& writer)
{
    const qreal width = writer.width();
    const qreal height = writer.height();
    const qreal headerHeight = mmToDevice(kHeaderBandMm);
    const qreal footerHeight = mmToDevice(kFooterBandMm);
    PageGeometry geometry;
    geometry.header = QRectF(0, 0, width, headerHeight);
    geometry.body = QRectF(0, headerHeight, width, height - headerHeight - footerHeight);
    geometry.footer = QRectF(0, height - footerHeight, width, footerHeight);
    return geometry;
}

void drawHeaderAndFooter(QPainter& painter, const PageGeometry& geometry, const QFont& baseFont,
    const QString& title, const QString& section, int page, int pageCount)
{
    QFont small(baseFont);
    small.setPointSizeF(8);
    painter.setFont(small);
    painter.setPen(kMuted);
    const qreal gap = mmToDevice(3);
    const QRectF headerText = geometry.header.adjusted(0, 0, 0, -gap);
    painter.drawText(headerText, Qt::AlignLeft | Qt::AlignBottom, title);
    painter.drawText(headerText, Qt::AlignRight | Qt::AlignBottom, section);
    painter.setPen(QPen(kAccent, mmToDevice(0.3)));
    painter.drawLine(QPointF(0, geometry.header.bottom() - gap / 2),
        QPointF(geometry.header.right(), geometry.header.bottom() - gap / 2));
    painter.setPen(kMuted);
    painter.drawText(geometry.footer, Qt::AlignHCenter | Qt::AlignBottom,
        QStringLiteral("%1 / %2").arg(page).arg(pageCount));
}

void drawDocumentPage(QPainter& painter, QTextDocument& doc, const QRectF& body, int pageIndex)
{
    painter.save();
    painter.translate(body.left(), body.top() - pageIndex * body.height());
    // One pixel short at the bottom, so that a block opening the next page is not also
    // drawn, clipped away but still searchable, at the foot of this one.
    doc.drawContents(
        &painter, QRectF(0, pageIndex * body.height(), body.width(), body.height() - 1));
    painter.restore();
}

void drawCover(QPainter& painter, const QRectF& area, const QFont& baseFont, const QString& title,
    const QString& subtitle, const QString& products, const QString& edition)
{
    const qreal top = area.top() + area.height() * 0.28;
    painter.fillRect(
        QRectF(area.left(), top - mmToDevice(14), area.width(), mmToDevice(3)), kAccent);

    QFont titleFont(baseFont);
    titleFont.setPointSizeF(30);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(kAccent);
    const QRectF titleRect(area.left(), top, area.width(), mmToDevice(20));
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, title);

    QFont subtitleFont(baseFont);
    subtitleFont.setPointSizeF(15);
    painter.setFont(subtitleFont);
    painter.setPen(Qt::black);
    const QRectF subtitleRect(
        area.left(), titleRect.bottom() + mmToDevice(4), area.width(), mmToDevice(24));
    painter.drawText(subtitleRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, subtitle);

    QFont detailFont(baseFont);
    detailFont.setPointSizeF(11);
    painter.setFont(detailFont);
    painter.setPen(kMuted);
    const QRectF productRect(
        area.left(), subtitleRect.bottom() + mmToDevice(10), area.width(), mmToDevice(40));
    painter.drawText(productRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, products);

    painter.fillRect(
        QRectF(area.left(), area.bottom() - mmToDevice(22), area.width(), mmToDevice(0.6)),
        kAccent);
    painter.drawText(
        QRectF(area.left(), area.bottom() - mmToDevice(20), area.width(), mmToDevice(16)),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, edition);
}

// The running header names the first chapter that starts on the page, or else the
// chapter the page continues.
QString sectionForPage(const QVector<Heading>& headings, int bodyPage)
{
    QString section;
    for (const Heading& heading : headings) {
        if (heading.level != 1)
            continue;
        if (heading.bodyPage == bodyPage)
            return heading.text;
        if (heading.bodyPage > bodyPage)
            break;
        section = heading.text;
    }
    return section;
}

} // namespace

int main(int argc, char* argv[])
{
    // Rendering needs fonts but no display; keep an explicit choice of the caller.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("manualgen"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Renders the HTML user manual into an A4 PDF."));
    parser.addHelpOption();
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("PDF file to write."), QStringLiteral("file"));
    const QCommandLineOption fontOption(QStringLiteral("font"),
        QStringLiteral("Font family tried before the built-in list."), QStringLiteral("family"));
    const QCommandLineOption strictOption(QStringLiteral("strict-glyphs"),
        QStringLiteral("Fail when the body font cannot draw every character of the text."));
    parser.addOption(outputOption);
    parser.addOption(fontOption);
    parser.addOption(strictOption);
    parser.addPositionalArgument(QStringLiteral("input"), QStringLiteral("HTML files, in order."),
        QStringLiteral("<input.html>..."));
    parser.process(app);

    const QStringList inputs = parser.positionalArguments();
    const QString output = parser.value(outputOption);
    if (inputs.isEmpty() || output.isEmpty()) {
        fail(QStringLiteral("need -o <output.pdf> and at least one input HTML file"));
        return 1;
    }

    QString title, subtitle, products, edition, body;
    for (const QString& input : inputs) {
        QString html;
        if (!readUtf8(input, &html)) {
            fail(QStringLiteral("cannot read %1").arg(input));
            return 2;
        }
        if (title.isEmpty())
            title = titleOf(html);
        if (subtitle.isEmpty())
            subtitle = metaOf(html, QStringLiteral("subtitle"));
        if (products.isEmpty())
            products = metaOf(html, QStringLiteral("products"));
        if (edition.isEmpty())
            edition = metaOf(html, QStringLiteral("edition"));
        body += bodyOf(html);
    }
    if (title.isEmpty())
        title = QFileInfo(output).completeBaseName();
    products.replace(QStringLiteral("|"), QStringLiteral("\n"));
    edition.replace(QStringLiteral("|"), QStringLiteral("\n"));

    const QString family = pickFamily(parser.value(fontOption));
    QFont baseFont;
    if (family.isEmpty()) {
        fail(QStringLiteral(
            "warning: no CJK font found (install fonts-noto-cjk); Chinese text may not render"));
    } else {
        baseFont = QFont(family);
    }
    baseFont.setPointSizeF(kBodyPointSize);
    // Shaped Latin runs of the CJK fonts use digit glyphs that the PDF's text map does not
    // cover: "MP4" prints, but is found and copied as "MP". Latin needs no shaping here;
    // Chinese text is still shaped, which keeps its punctuation full width.
    baseFont.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::PreferNoShaping));

    // Rendered into memory first: the text maps get corrected before the file is written.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("manualgen"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(kPageMarginLeftMm, kPageMarginTopMm, kPageMarginRightMm, kPageMarginBottomMm),
        QPageLayout::Millimeter));
    const PageGeometry geometry = pageGeometry(writer);

    QTextDocument content;
    prepare(content, &writer, baseFont);
    content.setHtml(body);
    adjustTables(content.rootFrame());
    content.setPageSize(geometry.body.size());
    keepHeadingsWithText(content, geometry.body.height());

    // Everything that gets printed: the headings in the contents and running headers
    // repeat text of the body.
    const QString allText = title + subtitle + products + edition
        + QString::fromUtf8(kContentsTitle) + content.toPlainText();
    const QString missing = missingGlyphs(baseFont, allText);
    if (!missing.isEmpty()) {
        fail(QStringLiteral("%1: font \"%2\" has no glyphs for: %3")
                 .arg(parser.isSet(strictOption) ? QStringLiteral("error")
                                                 : QStringLiteral("warning"),
                     baseFont.family(), missing));
        if (parser.isSet(strictOption))
            return 4;
    }

    const QVector<Heading> headings = collectHeadings(content, geometry.body.height());
    // The table of contents' length does not depend on the page numbers it shows, so
    // one pass with a provisional start page gives its page count.
    QTextDocument toc;
    prepare(toc, &writer, baseFont);
    toc.setHtml(tocHtml(headings, 0));
    adjustTables(toc.rootFrame());
    toc.setPageSize(geometry.body.size());
    const int tocPages = toc.pageCount();
    const int firstBodyPage = 1 + tocPages + 1; // cover, contents, then the body
    toc.setHtml(tocHtml(headings, firstBodyPage));
    adjustTables(toc.rootFrame());
    const int bodyPages = content.pageCount();
    const int pageCount = 1 + tocPages + bodyPages;

    QPainter painter;
    if (!painter.begin(&writer)) {
        fail(QStringLiteral("cannot start painting into %1").arg(output));
        return 3;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    drawCover(painter, QRectF(0, 0, writer.width(), writer.height()), baseFont, title, subtitle,
        products, edition);
    int page = 1;
    for (int i = 0; i < tocPages; ++i) {
        writer.newPage();
        ++page;
        drawHeaderAndFooter(
            painter, geometry, baseFont, title, QString::fromUtf8(kContentsTitle), page, pageCount);
        drawDocumentPage(painter, toc, geometry.body, i);
    }
    for (int i = 0; i < bodyPages; ++i) {
        writer.newPage();
        ++page;
        drawHeaderAndFooter(
            painter, geometry, baseFont, title, sectionForPage(headings, i), page, pageCount);
        drawDocumentPage(painter, content, geometry.body, i);
    }
    if (!painter.end()) {
        fail(QStringLiteral("rendering %1 failed").arg(output));
        return 3;
    }
    buffer.close();
    QFont boldFont(baseFont);
    boldFont.setBold(true);
    mapRadicalsToIdeographs(pdf, ideographsForRadicals({baseFont, boldFont}, allText));

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
        return 3;
    }
    std::printf("manualgen: wrote %s (%d pages, font %s)\n", qUtf8Printable(output), pageCount,
        qUtf8Printable(baseFont.family()));
    return 0;
}
