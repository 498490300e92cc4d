// The animation tick: 64 ticks a second, like the system timer the spin
// speed (degrees per tick) was tuned for.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace mv {

inline constexpr int kTicksPerSecond = 64;  // one tick every 15.625 ms

// Fires Tick() kTicksPerSecond times a second on the GUI thread. Each shot
// is aimed at the next tick's deadline from the start, so the rate does not
// drift by the millisecond rounding of the timer.
class TickClock : public QObject {
  Q_OBJECT
 public:
  explicit TickClock(QObject* parent = nullptr);
  void Start();
  void Stop();
  bool Running() const { return running_; }

  // While nothing is shown the clock may wake once for `ticks` ticks and
  // fire them together: the count advances as before at a fraction of the
  // wake-ups. Going back to 1 fires at once the ticks due by now, so the
  // next frame shows the current tick.
  void SetTicksPerWake(int ticks);
  int TicksPerWake() const { return perWake_; }

 signals:
  void Tick();

 private:
  void Fire();
  void ScheduleNext();

  QTimer timer_;
  QElapsedTimer clock_;
  qint64 ticks_ = 0;
  int perWake_ = 1;
  bool running_ = false;
};

}  // namespace mv
