#include "join_dialog.h"

#include "identity.h"
#include "off_ui_thread.h"
#include "texts.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <qrencode.h>

namespace tavrin::rooms {

using texts::str;

QStringList lanAddresses()
{
    QStringList out;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (const ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || (i->ifa_flags & IFF_LOOPBACK) || !(i->ifa_flags & IFF_UP))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr, text, sizeof text);
        out << QString::fromLatin1(text);
    }
    freeifaddrs(list);
    out.removeDuplicates();
    return out;
}

QString joinHost(const QStringList &addresses)
{
    for (const QString &a : addresses)
        if (a != QLatin1String("0.0.0.0") && a != QLatin1String("::") && a != QLatin1String("127.0.0.1"))
            return a;
    const QStringList lan = lanAddresses();
    return lan.isEmpty() ? QStringLiteral("127.0.0.1") : lan.first();
}

QImage qrImage(const QByteArray &text)
{
    QRcode *code = QRcode_encodeData(int(text.size()), reinterpret_cast<const unsigned char *>(text.constData()), 0,
                                     QR_ECLEVEL_M);
    if (!code)
        return {};
    constexpr int kQuiet = 4; // modules of white around it, as readers need
    const int side = code->width + 2 * kQuiet;
    QImage image(side, side, QImage::Format_Mono);
    image.fill(1);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                image.setPixel(x + kQuiet, y + kQuiet, 0);
    QRcode_free(code);
    return image;
}

namespace {

void showCodes(QWidget *parent, const QList<JoinFile> &joins)
{
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(str(texts::joinExportQrTitle).arg(joins.first().exam));
    auto *layout = new QVBoxLayout(dialog);
    auto *rooms = new QComboBox(dialog);
    auto *code = new QLabel(dialog);
    code->setAlignment(Qt::AlignCenter);
    auto *note = new QLabel(str(texts::joinExportQrNote).arg(fingerprint(joins.first().examKey)), dialog);
    note->setWordWrap(true);
    for (const JoinFile &j : joins)
        rooms->addItem(j.room);
    layout->addWidget(rooms);
    layout->addWidget(code);
    layout->addWidget(note);
    const auto show = [code, joins](int i) {
        if (i < 0 || i >= joins.size())
            return;
        const QImage image = qrImage(writeJoin(joins[i]));
        // Large enough for a phone's or a webcam's reader at arm's length.
        code->setPixmap(QPixmap::fromImage(image.scaled(image.size() * 5)));
    };
    QObject::connect(rooms, &QComboBox::currentIndexChanged, dialog, show);
    show(0);
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
}

} // namespace

void showJoinFiles(QWidget *parent, const QList<JoinFile> &joins, std::function<void(const QString &)> notify)
{
    auto *pick = new QFileDialog(parent, str(texts::joinExportTitle));
    pick->setAttribute(Qt::WA_DeleteOnClose);
    pick->setFileMode(QFileDialog::Directory);
    pick->setOption(QFileDialog::ShowDirsOnly);
    QObject::connect(pick, &QFileDialog::fileSelected, parent, [parent, joins, notify](const QString &folder) {
        offUiThread(
            parent,
            [folder, joins] {
                QStringList errors;
                for (const JoinFile &j : joins)
                    if (const QString e = saveJoinFile(QDir(folder).filePath(j.room + QStringLiteral(".tavrin-join")), j);
                        !e.isEmpty())
                        errors << e;
                return errors;
            },
            [parent, folder, joins, notify](const QStringList &errors) {
                notify(errors.isEmpty() ? str(texts::joinExportDone).arg(folder).arg(joins.size())
                                        : errors.join(u'\n'));
                if (errors.isEmpty())
                    showCodes(parent, joins);
            });
    });
    pick->open();
}

} // namespace tavrin::rooms
