// Page texts and character counts of PDF documents held in memory.

#include "common/pdfbuilder.h"
#include "platform/pdf/pdfmemorydocument.h"

#include <gtest/gtest.h>

TEST(PdfMemoryDocument, PageTextsInPageOrder)
{
    const QByteArray pdf = testutil::MakePdf(
        QSizeF(400, 300), {testutil::TextLines({QStringLiteral("Alpha trust"), QStringLiteral("beta")}), nullptr,
                           testutil::TextLines({QStringLiteral("Grüße")})});
    QStringList pages{QStringLiteral("old")};
    // The engine separates lines with CR LF, which count as characters.
    EXPECT_EQ(ExtractPdfText(pdf, pages, false), 11 + 2 + 4 + 5);
    EXPECT_EQ(pages, (QStringList{QStringLiteral("Alpha trust\r\nbeta"), QString(), QStringLiteral("Grüße")}));
    EXPECT_EQ(CountPdfCharacters(pdf), 22);

    EXPECT_EQ(ExtractPdfText(pdf, pages, true), 22);
    EXPECT_EQ(pages.first(), QStringLiteral("Alpha trust \r\nbeta"));
}

TEST(PdfMemoryDocument, UnreadableBytesGiveNoPages)
{
    const QByteArray pdf = testutil::MakePdf(QSizeF(200, 200), {testutil::TextLines({QStringLiteral("x")})});
    const QByteArray damaged[] = {QByteArray(), QByteArray("not a PDF at all"), pdf.left(pdf.size() / 2),
                                  QByteArray("%PDF-1.4\n%%EOF\n")};
    for (const QByteArray& bytes : damaged) {
        QStringList pages{QStringLiteral("old")};
        EXPECT_EQ(ExtractPdfText(bytes, pages, false), 0) << bytes.left(20).toStdString();
        EXPECT_TRUE(pages.isEmpty());
        EXPECT_EQ(CountPdfCharacters(bytes), 0);
        EXPECT_FALSE(PdfMemoryDocument(bytes).IsOpen());
    }
}
