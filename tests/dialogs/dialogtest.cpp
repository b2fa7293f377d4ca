#include "dialogtest.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QApplication>
#include <QWidget>

namespace tavrin::test {

namespace {

constexpr int kPollMs = 10;
constexpr int kUnexpectedAfterTicks = 300; // 3 s

} // namespace

QWidget *NamedWidget(const QObject *root, const char *objectName, const char *className)
{
    for (QWidget *widget : root->findChildren<QWidget *>(QLatin1String(objectName))) {
        if (widget->inherits(className))
            return widget;
    }
    qFatal("no %s named %s", className, objectName);
}

QStringList Texts(const QObject *root, const QList<const char *> &objectNames)
{
    QStringList texts;
    for (const char *name : objectNames) {
        const QVariant text = NamedWidget(root, name, "QWidget")->property("text");
        if (!text.isValid())
            qFatal("%s shows no text", name);
        texts << text.toString();
    }
    return texts;
}

QStringList LabelTexts(const QObject *root)
{
    QStringList texts;
    for (const QLabel *label : root->findChildren<QLabel *>())
        texts << label->text();
    texts.sort();
    return texts;
}

bool Activate(QWidget *window)
{
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

QList<QWidget *> TabWalk(qsizetype count)
{
    QList<QWidget *> visited;
    for (qsizetype i = 0; i < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    return visited;
}

void Choose(QComboBox *list, int position)
{
    list->setCurrentIndex(position);
    emit list->activated(position);
}

QStringList Items(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

void SaveScreen(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("TAVRIN_SCREENS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(QDir(dir).filePath(name));
}

void TypeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

PortFolder::PortFolder(const QList<int> &ports) : m_saved(qgetenv("TAVRIN_COM_DIR"))
{
    for (int n : ports)
        QFile(path(n)).open(QIODevice::WriteOnly);
    qputenv("TAVRIN_COM_DIR", QFile::encodeName(m_dir.path()));
}

PortFolder::~PortFolder()
{
    qputenv("TAVRIN_COM_DIR", m_saved);
}

QString PortFolder::path(int n) const
{
    return m_dir.filePath(QStringLiteral("COM%1").arg(n));
}

std::function<void(TFormAbonent *)> TypeAbonent(const QString &name, const QString &phone)
{
    return [name, phone](TFormAbonent *editor) {
        Named<QLineEdit>(editor, "Edit1")->setText(name);
        Named<QLineEdit>(editor, "Edit2")->setText(phone);
        Named<QPushButton>(editor, "BitBtn4")->click(); // "Принять"
    };
}

AbonentDirectory MakeDirectory(const QList<QPair<QString, QString>> &abonents, int selected, quint8 sortKey)
{
    AbonentDirectory directory;
    directory.count = quint8(abonents.size());
    directory.selectedIndex = quint8(selected);
    directory.sortKey = AbonentSortKey(sortKey);
    for (int i = 0; i < abonents.size(); ++i) {
        directory.entries[i].name = abonents[i].first;
        directory.entries[i].phoneNumber = abonents[i].second;
    }
    return directory;
}

QStringList Names(const AbonentDirectory &directory)
{
    QStringList names;
    for (int i = 0; i < directory.count; ++i)
        names << directory.entries[i].name;
    return names;
}

StoreFixture::StoreFixture(const Settings &current)
{
    store.LoadSettings(programDir.path());
    store.CurrentSettings = current;
    store.SavedSettings = current;
}

ShowMessageFn StoreFixture::recordMessages()
{
    return [this](const QString &text) { messages << text; };
}

bool StoreFixture::abonentsWritten() const
{
    return QFile::exists(store.AbonentsIniPath);
}

bool StoreFixture::bluetoothWritten() const
{
    return QFile::exists(store.BluetoothIniPath);
}

AbonentDirectory StoreFixture::directoryOnDisk() const
{
    SettingsStore reader;
    reader.LoadSettings(programDir.path());
    return reader.CurrentSettings.directory;
}

ModalScript::ModalScript()
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
    m_timer.start();
}

ModalScript &ModalScript::answer(QStringList &texts, QMessageBox::StandardButton button)
{
    return on<QMessageBox>([&texts, button](QMessageBox *box) {
        texts << box->text();
        box->button(button)->click();
    });
}

void ModalScript::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_waitingToAct) {
        m_idleTicks = 0;
        return;
    }
    if (!m_steps.isEmpty() && m_steps.first().accepts(modal)) {
        m_idleTicks = 0;
        // A timer does not fire again while its own handler runs, so the step runs from
        // a timer of its own: a modal window it opens is then met by this one.
        m_waitingToAct = modal;
        QTimer::singleShot(0, modal, [this, act = m_steps.takeFirst().act, modal] {
            m_waitingToAct = nullptr;
            act(modal);
        });
        return;
    }
    if (++m_idleTicks < kUnexpectedAfterTicks)
        return;
    m_idleTicks = 0;
    const auto *box = qobject_cast<QMessageBox *>(modal);
    m_unexpected << QStringLiteral("%1 %2").arg(QLatin1String(modal->metaObject()->className()),
                                                box ? box->text() : modal->windowTitle());
    modal->close();
}

} // namespace tavrin::test
