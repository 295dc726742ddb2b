#pragma once

// A large RTF text like the transcripts researchers import: formatted
// paragraphs, accented and non-Latin text, links, small tables and one
// picture. Deterministic, so runs compare.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

inline QByteArray MakeSampleRtf(qsizetype targetBytes)
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fswiss\\fcharset0 "
        "Verdana;}}\n{\\colortbl ;\\red192\\green0\\blue0;\\red0\\green0\\blue255;}\n\\viewkind4\\uc1\\pard\\fs20\n";
    QImage image(256, 256, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1103515245 + 12345;
            image.setPixel(x, y, qRgb(x, y, int(seed >> 24)));
        }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    rtf += "\\pard{\\pict\\pngblip\\picw256\\pich256\\picwgoal3840\\pichgoal3840\n" + png.toHex() + "}\\par\n";
    for (int i = 0; rtf.size() < targetBytes; ++i) {
        rtf += "\\pard\\sa120 [00:" + QByteArray::number(i % 60).rightJustified(2, '0') + "] \\b R:\\b0  Well, at first we were "
               "all \\i surprised\\i0 ; then we started to talk about what it meant for each of us, and some people "
               "were \\cf1 quite angry\\cf0 . Gr\\'fc\\'dfe aus K\\'f6ln, \\u1076?\\u1086?\\u1073?\\u1088?\\u1099?\\u1081? "
               "\\u36136?\\u24615? \\ul underlined\\ulnone  and \\fs28 larger\\fs20  text.\\par\n";
        if (i % 50 == 0)
            rtf += "\\pard See {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/p" + QByteArray::number(i) +
                   "\"}}{\\fldrslt{\\ul\\cf2 the page}}} for more.\\par\n";
        if (i % 200 == 0)
            rtf += "\\trowd\\trgaph108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl Code\\cell Count\\cell "
                   "Share\\cell\\row\\trowd\\trgaph108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl Trust\\cell 12\\cell "
                   "40%\\cell\\row\n";
    }
    rtf += "}\n";
    return rtf;
}
