#pragma once

// Timing of sound written by SDL's disk audio driver. The driver truncates its file when the
// device opens, then mixes one buffer, writes it and sleeps one buffer's time, over and over.
// Watching the file with inotify gives the moment data reached the file, so every sample in
// it can be put on the wall clock without assuming the driver's pace.
//
// The driver writes through stdio, whose buffer is as large as one mixer buffer here: every
// other buffer stays in stdio until the next one pushes it out, so writes arrive in pairs and
// the first of a pair was mixed one buffer's time before the write. The last buffer of each
// write, though, was mixed just before it; frames are placed counting back from there.

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "bench_util.h"

namespace bench {

constexpr int kFrameBytes = 4;  // signed 16-bit stereo
constexpr double kRate = 44100.0;

class DiskAudioMonitor {
 public:
  struct Record {
    double ms;    // when the event was read
    long size;    // file size then
    bool opened;  // the file was opened (a device opened and truncated it)
  };

  explicit DiskAudioMonitor(std::string path) : path_(std::move(path)) {
    const std::size_t slash = path_.rfind('/');
    dir_ = slash == std::string::npos ? "." : path_.substr(0, slash);
    name_ = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    records_.reserve(1 << 16);
    inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    stop_ = eventfd(0, EFD_CLOEXEC);
    if (inotify_ < 0 || stop_ < 0 ||
        inotify_add_watch(inotify_, dir_.c_str(), IN_MODIFY | IN_OPEN | IN_CREATE) < 0) {
      std::fprintf(stderr, "bench: cannot watch %s\n", dir_.c_str());
      std::exit(1);
    }
    thread_ = std::thread([this] { Loop(); });
  }

  ~DiskAudioMonitor() { Stop(); }

  // Stops watching; call before reading the file, whose opening would be recorded too.
  void Stop() {
    if (!thread_.joinable()) return;
    const std::uint64_t one = 1;
    if (write(stop_, &one, sizeof one) < 0) std::perror("bench: eventfd");
    thread_.join();
    close(inotify_);
    close(stop_);
  }

  std::vector<Record> Records() {
    std::lock_guard lock(mutex_);
    return records_;
  }
  // Time of the last write, or a negative value before any.
  double LastWriteMs() {
    std::lock_guard lock(mutex_);
    for (auto it = records_.rbegin(); it != records_.rend(); ++it)
      if (!it->opened && it->size > 0) return it->ms;
    return -1;
  }

  const std::string& Path() const { return path_; }

 private:
  void Loop() {
    alignas(inotify_event) char buffer[4096];
    pollfd fds[2] = {{inotify_, POLLIN, 0}, {stop_, POLLIN, 0}};
    for (;;) {
      if (poll(fds, 2, -1) < 0) continue;
      const double now = NowMs();
      if (fds[1].revents) return;
      const ssize_t n = read(inotify_, buffer, sizeof buffer);
      if (n <= 0) continue;
      bool opened = false, modified = false;
      for (char* p = buffer; p < buffer + n;) {
        auto* event = reinterpret_cast<inotify_event*>(p);
        if (event->len > 0 && name_ == event->name) {
          if (event->mask & (IN_OPEN | IN_CREATE)) opened = true;
          if (event->mask & IN_MODIFY) modified = true;
        }
        p += sizeof(inotify_event) + event->len;
      }
      if (!opened && !modified) continue;
      struct stat st {};
      const long size = stat(path_.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
      std::lock_guard lock(mutex_);
      if (opened) records_.push_back({now, 0, true});
      if (modified) records_.push_back({now, size, false});
    }
  }

  std::string path_, dir_, name_;
  int inotify_ = -1, stop_ = -1;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Record> records_;
};

// The frames of the last device session on a wall clock.
class AudioTimeline {
 public:
  // `records` from the monitor; `samples` the file's content (interleaved stereo).
  AudioTimeline(const std::vector<DiskAudioMonitor::Record>& records,
                std::vector<std::int16_t> samples)
      : samples_(std::move(samples)) {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < records.size(); ++i)
      if (records[i].opened) begin = i;
    if (begin < records.size()) openMs_ = records[begin].ms;
    long last = 0;
    for (std::size_t i = begin; i < records.size(); ++i) {
      if (records[i].opened || records[i].size <= last) continue;
      bufferBytes_ = std::gcd(bufferBytes_, records[i].size - last);
      // The two write calls of one flush may be seen apart; they are one write.
      if (!writes_.empty() && records[i].ms - writes_.back().ms < kSameFlushMs) {
        writes_.back().end = records[i].size / kFrameBytes;
        writes_.back().ms = records[i].ms;
      } else {
        writes_.push_back({records[i].ms, last / kFrameBytes, records[i].size / kFrameBytes});
      }
      last = records[i].size;
    }
    for (const Write& w : writes_) ++increments_[(w.end - w.begin) * kFrameBytes];
    if (bufferBytes_ <= 0) bufferBytes_ = 4096;
  }

  long Frames() const { return static_cast<long>(samples_.size() / 2); }
  double OpenMs() const { return openMs_; }
  bool Empty() const { return writes_.empty(); }
  int Sample(long frame, int channel) const { return samples_[frame * 2 + channel]; }
  int Level(long frame) const {
    return std::max(std::abs(Sample(frame, 0)), std::abs(Sample(frame, 1)));
  }

  // The size of one mixer buffer: what every write is a whole number of.
  long BufferBytes() const { return bufferBytes_; }
  long BufferFrames() const { return bufferBytes_ / kFrameBytes; }

  // The most common number of bytes one write added to the file.
  long TypicalWriteBytes() const {
    long best = 0;
    int count = 0;
    for (const auto& [bytes, n] : increments_)
      if (n > count) best = bytes, count = n;
    return best;
  }

  // When the frame would sound if each buffer started to play the moment it was mixed: the
  // last buffer of the write that brought the frame was mixed at the write, earlier buffers of
  // that write one buffer's time earlier each. Negative if unknown.
  double FrameMs(long frame) const {
    for (const Write& w : writes_) {
      if (frame < w.end) {
        return w.ms + static_cast<double>(frame - (w.end - BufferFrames())) * 1000.0 / kRate;
      }
    }
    return -1;
  }

  // The number of frames in the file when `ms` came (written at or before it).
  long FramesWrittenBy(double ms) const {
    long frames = 0;
    for (const Write& w : writes_) {
      if (w.ms > ms) break;
      frames = w.end;
    }
    return frames;
  }

  // The writes between two moments, for checking the timing by eye.
  void Dump(double fromMs, double toMs, double zeroMs) const {
    for (const Write& w : writes_)
      if (w.ms >= fromMs && w.ms <= toMs)
        std::printf("    write at %+.2f ms: frames %ld..%ld (%ld buffers)\n", w.ms - zeroMs,
                    w.begin, w.end, (w.end - w.begin) / BufferFrames());
  }

  // The first frame in [from, to) louder than `threshold`, or -1.
  long FirstLoud(long from, long to, int threshold) const {
    to = std::min(to, Frames());
    for (long f = std::max(0L, from); f < to; ++f)
      if (Level(f) > threshold) return f;
    return -1;
  }

 private:
  static constexpr double kSameFlushMs = 3;
  struct Write {
    double ms;
    long begin, end;  // frames [begin, end) arrived with this write
  };
  std::vector<std::int16_t> samples_;
  std::vector<Write> writes_;
  std::map<long, int> increments_;
  long bufferBytes_ = 0;
  double openMs_ = -1;
};

inline std::vector<std::int16_t> ReadPcm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto lo = static_cast<std::uint8_t>(bytes[2 * i]);
    const auto hi = static_cast<std::uint8_t>(bytes[2 * i + 1]);
    samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
  }
  return samples;
}

// The first frame of decoded sound louder than `threshold`, or -1.
inline long FirstLoud(const std::vector<std::int16_t>& stereo, int threshold) {
  for (std::size_t f = 0; f + 1 < stereo.size(); f += 2)
    if (std::abs(stereo[f]) > threshold || std::abs(stereo[f + 1]) > threshold)
      return static_cast<long>(f / 2);
  return -1;
}

// Mean absolute difference per sample between the file from `at` and the sound `expected`
// (optionally minus another sound `other` placed at `otherAt`), over `frames` frames.
inline double MatchError(const AudioTimeline& file, long at,
                         const std::vector<std::int16_t>& expected, long frames,
                         const std::vector<std::int16_t>* other = nullptr, long otherAt = 0) {
  double sum = 0;
  long n = 0;
  for (long i = 0; i < frames; ++i) {
    const long f = at + i;
    if (f < 0 || f >= file.Frames()) break;
    if (static_cast<std::size_t>(2 * i + 1) >= expected.size()) break;
    for (int c = 0; c < 2; ++c) {
      long v = file.Sample(f, c);
      if (other) {
        const long o = f - otherAt;
        if (o >= 0 && static_cast<std::size_t>(2 * o + 1) < other->size()) v -= (*other)[2 * o + c];
      }
      sum += std::abs(v - expected[2 * i + c]);
      ++n;
    }
  }
  return n ? sum / n : NAN;
}

}  // namespace bench
