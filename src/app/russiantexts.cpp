#include "app/russiantexts.h"

#include "app/applog.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tavrin {

namespace {

// Qt's Russian translation keeps "OK" in Latin letters; Russian Windows programs, which
// the users know, write the button in Cyrillic. Asked before Qt's own translation.
class CyrillicOkButton : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "QPlatformTheme") == 0 && qstrcmp(sourceText, "OK") == 0)
            return QStringLiteral("\u041e\u041a"); // "ОК"
        return {};
    }
};

} // namespace

void InstallRussianTexts(QCoreApplication &app)
{
    auto *qtTexts = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (qtTexts->load(QStringLiteral("qtbase_ru"), folder))
        app.installTranslator(qtTexts);
    else
        qCWarning(lcApp) << "qtbase_ru.qm not found in" << folder << "- Qt's own texts stay in English";
    // The translator installed last is asked first.
    app.installTranslator(new CyrillicOkButton(&app));
}

} // namespace tavrin
