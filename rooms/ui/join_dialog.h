#pragma once

// The controller hands each room its join file: written into a folder the
// operator picks, and shown as a QR code for a room PC that reads one.

#include "join_file.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QImage;
class QWidget;

namespace tavrin::rooms {

// This PC's IPv4 addresses on its networks, for a broker the rooms reach.
QStringList lanAddresses();
// Where the rooms reach the private broker: the first address it listens on
// besides every interface, else this PC's first LAN address.
QString joinHost(const QStringList &addresses);

// The QR code of text (one module a pixel, with the quiet zone); null when
// it does not fit.
QImage qrImage(const QByteArray &text);

// Asks for a folder (window-modal, without a loop of its own), writes every
// join file there off the UI thread, tells what became of it through
// notify, and then shows each file as a QR code.
void showJoinFiles(QWidget *parent, const QList<JoinFile> &joins, std::function<void(const QString &)> notify);

} // namespace tavrin::rooms
