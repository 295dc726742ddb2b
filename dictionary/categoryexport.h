#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// @short One category of the category export: its id, its parent's id
/// and the display texts of the category and of its entries in key order.
struct CategoryExportItem {
    qint32 id = 0;
    qint32 parent = 0;      ///< 0, or a category listed before this one
    QString name;
    QStringList words;
};

/// The category export text: for each category, in the order given (the
/// tree's pre-order, parents before children), its path ("parent\\name",
/// a category whose parent is not listed before it is its bare name) and a
/// TAB, then its first word with CR LF and every further word on a line of
/// its own after one TAB; a category without words ends with CR LF.
QString BuildCategoryExportText(const QList<CategoryExportItem>& preorder);

/// Writes the text as UTF-16 little-endian after the mark FF FE, through a
/// temporary file renamed into place: the file is whole or untouched.
/// False, with error set, when it could not be written.
bool WriteUtf16TextFile(const QString& path, const QString& text, QString* error = nullptr);
