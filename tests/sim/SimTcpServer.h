#pragma once
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A scripted peer for the TCP client: a server on 127.0.0.1 (an ephemeral
// port) that takes RTU request frames from any number of connections, hands
// each whole frame to a handler and writes back what the handler answers,
// and can misbehave in ways the module does (hang up, answer in pieces, stay
// silent). The simulated inverter's own TCP line is SimInverter::ListenTcp;
// this one is for what that line does not do. Runs on its own thread, since
// the tool's TCP wait blocks the GUI thread.
class SimTcpServer {
 public:
  // The reply to one request frame; an empty reply means no answer.
  using Handler = std::function<QByteArray(const QByteArray& request)>;

  explicit SimTcpServer(Handler handler);
  ~SimTcpServer();
  SimTcpServer(const SimTcpServer&) = delete;
  SimTcpServer& operator=(const SimTcpServer&) = delete;

  int Port() const { return port_; }
  // "127.0.0.1:<port>", the form QORVANE_WIFI_ADDR takes.
  QString Address() const;

  // --- behaviour a test chooses (any time, from any thread) ---
  // Requests are read and recorded but never answered.
  void SetSilent(bool on) { silent_ = on; }
  // The connection is closed right after each reply.
  void SetCloseAfterReply(bool on) { closeAfterReply_ = on; }
  // The connection is closed as soon as a request arrives, without a reply.
  void SetCloseOnRequest(bool on) { closeOnRequest_ = on; }
  // Replies go out in two writes: the first `firstBytes` bytes, then the rest
  // after gapMs. 0 sends replies whole.
  void SetSplitReply(int firstBytes, int gapMs) {
    splitAt_ = firstBytes;
    splitGapMs_ = gapMs;
  }
  // A reply is delayed by this many milliseconds.
  void SetReplyDelay(int ms) { delayMs_ = ms; }

  // --- what happened ---
  int Connections() const { return accepted_; }  // accepted so far
  int OpenConnections() const { return open_; }  // open now
  std::vector<QByteArray> Requests() const;      // every request frame, in order
  void ClearRequests();
  // Waits (without event processing) until n connections are open; false on time-out.
  bool WaitOpenConnections(int n, int timeoutMs) const;

  // Length of one RTU request frame judged from its first bytes: 8 for
  // functions 1-6 and the ID probe, 9 + byte count for function 16, 9 for
  // the older line's STX/ETX frame; 0 while more bytes are needed.
  static int RequestLength(const QByteArray& buf);

 private:
  void Run();
  struct Conn;

  Handler handler_;
  int listenFd_ = -1;
  int wakePipe_[2] = {-1, -1};
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> silent_{false}, closeAfterReply_{false}, closeOnRequest_{false};
  std::atomic<int> splitAt_{0}, splitGapMs_{0}, delayMs_{0};
  std::atomic<int> accepted_{0}, open_{0};
  mutable std::mutex mu_;
  std::vector<QByteArray> requests_;
};
