#pragma once
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sim/SimLineTime.h"

// The sub-GHz radio dongle with the inverters behind it, on a pty: the tool
// opens PortPath() as its serial port and drives it with the dongle's text
// commands. Every command is answered "Ok". A transmitted payload reaches the
// inverters only when the dongle's frequency is the one they listen on; their
// RTU reply then comes back as "radio_rx <hex> <rssi> <snr>" once the tool
// switches continuous receive on. After answering, the inverters move to the
// frequency the payload names (bytes 6-9), as the real ones follow the tool.
class SimRadioDongle {
 public:
  // The RTU reply (CRC included) to an RTU request frame; empty = no answer.
  using Handler = std::function<QByteArray(const QByteArray& request)>;

  explicit SimRadioDongle(Handler handler);
  ~SimRadioDongle();
  SimRadioDongle(const SimRadioDongle&) = delete;
  SimRadioDongle& operator=(const SimRadioDongle&) = delete;

  QString PortPath() const { return path_; }

  // --- behaviour a test chooses ---
  void SetInverterFrequency(int hz) { inverterHz_ = hz; }
  // "rf set_freq" of this frequency is answered "Error" instead of "Ok".
  void SetRefusedFrequency(int hz) { refusedHz_ = hz; }
  void SetQuality(int rssi, int snr) {
    rssi_ = rssi;
    snr_ = snr;
  }
  // The radio_rx line carries the payload but no RSSI and SNR.
  void SetReportQuality(bool on) { reportQuality_ = on; }
  // The reply payload arrives with one byte changed (its CRC fails).
  void SetCorruptReply(bool on) { corrupt_ = on; }

  // --- what happened ---
  int Frequency() const { return dongleHz_; }          // the dongle's, 0 = never set
  int InverterFrequency() const { return inverterHz_; }
  std::vector<QByteArray> Commands() const;  // every command text, in order
  std::vector<QByteArray> Payloads() const;  // every transmitted payload (13 bytes)
  void ClearRecords();

 private:
  void Run();
  void HandleInput(QByteArray& buf);
  void Handle(const QByteArray& command);
  void Answer(const QByteArray& text);

  Handler handler_;
  int master_ = -1, slave_ = -1;
  std::unique_ptr<sim::LineMember> lineTime_;  // the pty's part in the line's time
  int wakePipe_[2] = {-1, -1};
  QString path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> inverterHz_{900000000}, refusedHz_{0}, dongleHz_{0}, rssi_{-40}, snr_{7};
  std::atomic<bool> reportQuality_{true}, corrupt_{false};
  bool receiving_ = false;   // continuous receive on (thread only)
  QByteArray pending_;       // reply line waiting for the receive window (thread only)
  mutable std::mutex mu_;
  std::vector<QByteArray> commands_, payloads_;
};
