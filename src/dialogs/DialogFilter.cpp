#include "DialogFilter.h"

namespace morvane {

QString NameFilterFromPair(const QString& description, const QString& patterns)
{
    QStringList cleaned;
    for (const QString& pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty())
            cleaned.append(trimmed);
    }
    return description + QStringLiteral(" (") + cleaned.join(u' ') + u')';
}

QStringList NameFiltersFromRecord(const QByteArray& recordFilter)
{
    QStringList filters;
    const QList<QByteArray> texts = recordFilter.split('\0');
    for (qsizetype i = 0; i + 1 < texts.size(); i += 2) {
        const QByteArray& description = texts[i];
        const QByteArray& patterns = texts[i + 1];
        if (description.isEmpty() || patterns.isEmpty())
            break;
        filters.append(
            NameFilterFromPair(QString::fromUtf8(description), QString::fromUtf8(patterns)));
    }
    return filters;
}

} // namespace morvane
