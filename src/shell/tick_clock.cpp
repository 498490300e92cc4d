#include "shell/tick_clock.h"

#include <algorithm>

namespace mv {

TickClock::TickClock(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &TickClock::Fire);
}

void TickClock::Start() {
  running_ = true;
  ticks_ = 0;
  clock_.start();
  ScheduleNext();
}

void TickClock::Stop() {
  running_ = false;
  timer_.stop();
}

void TickClock::Fire() {
  if (!running_) return;
  for (int i = 0; i < perWake_ && running_; ++i) {
    ++ticks_;
    emit Tick();
  }
  if (running_) ScheduleNext();
}

void TickClock::SetTicksPerWake(int ticks) {
  ticks = std::max(1, ticks);
  if (ticks == perWake_) return;
  perWake_ = ticks;
  if (!running_) return;
  // The ticks due by now that a batch held back.
  const qint64 due = clock_.nsecsElapsed() / 1000 * kTicksPerSecond / 1000000;
  while (running_ && ticks_ < due) {
    ++ticks_;
    emit Tick();
  }
  if (running_) ScheduleNext();
}

void TickClock::ScheduleNext() {
  const qint64 now_us = clock_.nsecsElapsed() / 1000;
  // Deadline of the last tick of the next wake-up, in microseconds from the
  // start.
  qint64 due_us = (ticks_ + perWake_) * 1000000 / kTicksPerSecond;
  if (now_us >= due_us + 1000000 / kTicksPerSecond) {
    // A whole tick or more was missed (a slow frame, a modal box): drop the
    // missed ticks, as a system timer does, rather than firing a burst.
    ticks_ = now_us * kTicksPerSecond / 1000000;
    due_us = (ticks_ + perWake_) * 1000000 / kTicksPerSecond;
  }
  // A tick that is only a little late fires at once and keeps to the grid.
  const qint64 wait_ms = std::max<qint64>(0, (due_us - now_us + 999) / 1000);
  timer_.start(static_cast<int>(wait_ms));
}

}  // namespace mv
