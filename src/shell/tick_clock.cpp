#include "shell/tick_clock.h"

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
  ++ticks_;
  emit Tick();
  if (running_) ScheduleNext();
}

void TickClock::ScheduleNext() {
  // Deadline of tick n+1 in microseconds from the start.
  const qint64 due_us = (ticks_ + 1) * 1000000 / kTicksPerSecond;
  const qint64 now_us = clock_.nsecsElapsed() / 1000;
  qint64 wait_ms = (due_us - now_us + 999) / 1000;
  if (wait_ms < 0) {
    // Far behind (a modal box, a slow frame): start counting afresh rather
    // than firing a burst of ticks.
    ticks_ = 0;
    clock_.restart();
    wait_ms = 1000 / kTicksPerSecond;
  }
  timer_.start(static_cast<int>(wait_ms));
}

}  // namespace mv
