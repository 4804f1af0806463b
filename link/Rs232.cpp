#include "link/Rs232.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/CFormat.h"
#include "platform/Dialogs.h"

struct Tcomm::Handle {
  int fd = -1;
  QString path;  // the device, for the reasons a failure gives
  ~Handle() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

speed_t SpeedCode(int baud) {
  switch (baud) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    default: return B0;
  }
}

QByteArray DevicePath(const QString& name) {
  // Linux device paths have no length limit of their own beyond the system's.
  return (name.contains('/') ? name : QStringLiteral("/dev/") + name).toLocal8Bit();
}

QString SystemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

}  // namespace

int BaudOfIndex(int index) { return (index >= 0 && index <= 3) ? (4800 << index) : 0; }

Tcomm::Tcomm() {
  std::memset(RxBuf, 0, sizeof RxBuf);
  std::memset(TxBuf, 0, sizeof TxBuf);
}

int Tcomm::Fd() const { return handle_ ? handle_->fd : -1; }
bool Tcomm::IsOpen() const { return Fd() >= 0; }

int Tcomm::Open(const QString& name) {
  Close();
  error_.clear();
  const QByteArray path = DevicePath(name);
  const QString device = QString::fromLocal8Bit(path);
  const int fd = name.isEmpty() ? -1 : ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // The device and why, so the technician knows what to mend.
    error_ = name.isEmpty() ? QStringLiteral("no port chosen") : device + QStringLiteral(": ") + SystemReason(errno);
    ShowMessage(QStringLiteral("COM Can't Open: ") + error_);
    return 1;
  }
  auto handle = std::make_shared<Handle>();
  handle->fd = fd;
  handle->path = device;
  ::ioctl(fd, TIOCEXCL);  // no other opener while we hold it
  // Settings that cannot be applied leave the reason for the link's close.
  auto refused = [&] {
    error_ = device + QStringLiteral(": ") + SystemReason(errno);
    return 1;  // the handle closes here
  };

  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return refused();  // not a terminal
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B4800);
  ::cfsetospeed(&tio, B4800);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) return refused();

  ::tcflush(fd, TCIOFLUSH);
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIC, &lines);  // adapters without modem lines refuse this; harmless
  handle_ = std::move(handle);
  return 0;
}

void Tcomm::AttachDescriptor(int fd) {
  Close();
  if (fd < 0) return;
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  handle_ = std::make_shared<Handle>();
  handle_->fd = fd;
}

int Tcomm::SetBaud(int index) {
  const int baud = BaudOfIndex(index);
  if (baud == 0) return 1;
  Baud = baud;
  const int fd = Fd();
  termios tio{};
  if (fd < 0 || ::tcgetattr(fd, &tio) != 0) return 1;
  ::cfsetispeed(&tio, SpeedCode(baud));
  ::cfsetospeed(&tio, SpeedCode(baud));
  return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : 1;
}

int Tcomm::Close() {
  if (handle_ && handle_->fd >= 0) {
    ::tcflush(handle_->fd, TCIFLUSH);
    ::close(handle_->fd);
    handle_->fd = -1;  // every copy sharing it now sees a closed port
  }
  handle_.reset();
  return 0;
}

int Tcomm::WriteBytes(const uint8_t* bytes, int n) {
  const int fd = Fd();
  if (fd < 0 || n < 0 || (n > 0 && !bytes)) return 1;
  // Write time-out: 10 ms per byte, as the port is set up for.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(50, 10 * n));
  int done = 0;
  while (done < n) {
    const ssize_t w = ::write(fd, bytes + done, static_cast<size_t>(n - done));
    if (w > 0) {
      done += static_cast<int>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && errno != EAGAIN) return Failed(errno);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return Fail(QStringLiteral("write timed out"));
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return Failed(errno);
  }
  return 0;
}

int Tcomm::Write(int n) {
  if (n > kTxSize) return 1;
  return WriteBytes(TxBuf, n);
}

int Tcomm::WriteText() {
  QByteArray text = CmdText.toLatin1();
  if (text.size() > 99) text.truncate(99);
  return WriteBytes(reinterpret_cast<const uint8_t*>(text.constData()), static_cast<int>(text.size()));
}

namespace {

// Looks at the port before its queue is counted: on a pseudo-terminal that
// hands over bytes the other side has written but the terminal layer has not
// queued yet, so the count has everything that came. Returns poll's revents.
short LookAtInput(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 ? p.revents : 0;
}

}  // namespace

int Tcomm::InQueue() const {
  const int fd = Fd();
  if (fd < 0) return 0;
  LookAtInput(fd);
  int queued = 0;
  if (::ioctl(fd, FIONREAD, &queued) != 0) return 0;
  return queued;
}

int Tcomm::Fail(const QString& reason) {
  RxBuf[std::clamp(RxCount, 0, kRxSize - 1)] = 0;
  error_ = (handle_ ? handle_->path : QString()) + QStringLiteral(": ") + reason;
  return 1;
}

int Tcomm::Failed(int err) { return Fail(SystemReason(err)); }

int Tcomm::QueueOverflow(int queued) {
  ShowMessage(CFormat("Rx Size > Buffer %d", queued));
  DiscardInput();
  // Nothing of the refused queue is kept, so no reader walks past the buffer.
  RxCount = 0;
  RxBuf[0] = 0;
  return 1;
}

int Tcomm::Read() {
  RxCount = 0;
  const int fd = Fd();
  if (fd < 0) return 1;
  std::memset(RxBuf, 0, sizeof RxBuf);
  return ReadMore();
}

int Tcomm::ReadMore(int upTo) {
  const int fd = Fd();
  if (fd < 0) return 1;
  RxCount = std::clamp(RxCount, 0, kRxLimit - 1);
  const short looked = LookAtInput(fd);
  int queued = 0;
  if (::ioctl(fd, FIONREAD, &queued) != 0) return Failed(errno);
  if (queued < 0) return Fail(QStringLiteral("bad receive queue count"));
  if (queued == 0) {
    // A hung-up device reports nothing queued; only a read tells.
    if ((looked & (POLLHUP | POLLERR | POLLNVAL)) && !(looked & POLLIN))
      return Fail(QStringLiteral("the device hung up"));
    return 0;
  }
  // The limit is a matter of one read; what was gathered before does not
  // count, and the gathered bytes stop at upTo (and at the buffer's end).
  if (queued >= kRxLimit) return QueueOverflow(queued);
  const int want = std::min(queued, std::clamp(upTo, 0, kRxLimit - 1) - RxCount);
  if (want <= 0) return 0;
  int got = 0;
  while (got < want) {
    const ssize_t r = ::read(fd, RxBuf + RxCount + got, static_cast<size_t>(want - got));
    if (r > 0) {
      got += static_cast<int>(r);
    } else if (r < 0 && errno == EINTR) {
      continue;
    } else if (r < 0 && errno == EAGAIN) {
      break;  // fewer than announced: take what came
    } else {
      return r < 0 ? Failed(errno) : Fail(QStringLiteral("the device hung up"));
    }
  }
  RxCount += got;
  RxBuf[RxCount] = 0;
  return 0;
}

void Tcomm::DiscardInput() {
  const int fd = Fd();
  if (fd < 0) return;
  if (::tcflush(fd, TCIFLUSH) == 0) return;
  uint8_t sink[512];
  while (::read(fd, sink, sizeof sink) > 0) {
  }
}

bool Tcomm::WaitInput(int ms) const {
  const int fd = Fd();
  if (fd < 0) return false;
  pollfd p{fd, POLLIN, 0};
  const int r = ::poll(&p, 1, std::max(0, ms));
  return r > 0 && p.revents != 0;
}

void Tcomm::AwaitInput(int ms) const {
  const int fd = Fd();
  if (fd < 0 || ms <= 0) return;
  if (!QCoreApplication::instance()) {
    WaitInput(ms);
    return;
  }
  // One event loop that wakes for window events, for the port and for the
  // deadline, so a quiet wait costs no polling.
  QEventLoop loop;
  QSocketNotifier input(fd, QSocketNotifier::Read);
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  QObject::connect(&input, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadline.start(ms);
  if (WaitInput(0)) {
    QCoreApplication::processEvents();
    return;
  }
  loop.exec();
}

QStringList SerialPortNames() {
  QStringList names;
  const QString extra = qEnvironmentVariable("QORVANE_EXTRA_PORTS");
  for (const QString& p : extra.split(':', Qt::SkipEmptyParts))
    if (!names.contains(p)) names << p;

  // Natural order, so ttyS2 comes before ttyS10.
  auto natural = [](const QString& a, const QString& b) {
    static const QRegularExpression tail(QStringLiteral("^(.*?)(\\d+)$"));
    const auto ma = tail.match(a), mb = tail.match(b);
    if (ma.hasMatch() && mb.hasMatch() && ma.captured(1) == mb.captured(1))
      return ma.captured(2).toLongLong() < mb.captured(2).toLongLong();
    return a < b;
  };
  auto add = [&](const QString& dir, const QStringList& patterns, bool legacyUart) {
    QStringList found;
    for (const QString& f : QDir(dir).entryList(patterns, QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
      if (legacyUart) {
        // Every PC lists ttyS0..31; keep those the kernel found hardware for.
        QFile type(QStringLiteral("/sys/class/tty/") + f + QStringLiteral("/type"));
        if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0") continue;
      }
      found << dir + '/' + f;
    }
    std::sort(found.begin(), found.end(), natural);
    for (const QString& f : found)
      if (!names.contains(f)) names << f;
  };
  add(QStringLiteral("/dev"), {QStringLiteral("ttyS*")}, true);
  add(QStringLiteral("/dev"), {QStringLiteral("ttyUSB*")}, false);
  add(QStringLiteral("/dev"), {QStringLiteral("ttyACM*")}, false);
  add(QStringLiteral("/dev/serial/by-id"), {QStringLiteral("*")}, false);
  return names;
}
