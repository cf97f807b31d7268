#include "library/playlist_state.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <utility>

namespace poronka {

const char* const kCurrentMark = "＊";

namespace {

// Length in bytes of the UTF-8 sequence that starts with `lead`.
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

// Byte offset after `count` characters from `from` (clamped to the end).
size_t AdvanceChars(const std::string& s, size_t from, int count) {
  size_t p = from;
  for (int i = 0; i < count && p < s.size(); ++i) {
    p += Utf8SequenceLength(static_cast<unsigned char>(s[p]));
  }
  return std::min(p, s.size());
}

}  // namespace

std::string MarkedName(const std::string& name) { return std::string(kCurrentMark) + name; }

std::string UnmarkedName(const std::string& name) {
  size_t start = AdvanceChars(name, 0, 1);
  size_t end = AdvanceChars(name, start, kUnmarkedNameMax);
  return name.substr(start, end - start);
}

void PlaylistState::SetTopIndex(int top, bool notify) {
  top = std::max(0, top);
  if (top == top_) return;
  top_ = top;
  if (notify) Changed();
}

void PlaylistState::Append(const std::string& path, const std::string& displayName) {
  paths_.push_back(path);
  names_.push_back(displayName);
  marked_.push_back(0);
  Changed();
}

bool PlaylistState::Clear() {
  if (paths_.empty()) return false;
  paths_.clear();
  names_.clear();
  marked_.clear();
  current_ = -1;
  top_ = 0;
  Changed();
  return true;
}

int PlaylistState::Delete(int i) {
  if (i < 0 || i >= Count()) return -1;
  paths_.erase(paths_.begin() + i);
  names_.erase(names_.begin() + i);
  marked_.erase(marked_.begin() + i);
  if (current_ >= i) --current_;
  if (current_ < -1) current_ = -1;
  if (top_ > 0 && top_ >= Count()) top_ = std::max(0, Count() - 1);
  int select = paths_.empty() ? -1 : (i < Count() ? i : i - 1);
  Changed();
  return select;
}

void PlaylistState::SwapEntries(int a, int b) {
  std::swap(paths_[a], paths_[b]);
  std::swap(names_[a], names_[b]);
  std::swap(marked_[a], marked_[b]);
  if (current_ == a) {
    current_ = b;
  } else if (current_ == b) {
    current_ = a;
  }
}

int PlaylistState::MoveUp(int i) {
  if (i <= 0 || i >= Count()) return -1;
  SwapEntries(i, i - 1);
  Changed();
  return i - 1;
}

int PlaylistState::MoveDown(int i) {
  if (i < 0 || i + 1 >= Count()) return -1;
  SwapEntries(i, i + 1);
  Changed();
  return i + 1;
}

void PlaylistState::Shuffle(const std::function<int(int)>& draw) {
  const int count = Count();
  if (count < 3) return;
  // The entries not yet moved keep their first order at the front of the
  // list, so entry d of the front is the (d + 1)-th unmoved one: a Fenwick
  // tree over the old positions finds it without moving anything yet.
  std::vector<int> tree(static_cast<size_t>(count) + 1, 0);
  for (int i = 1; i <= count; ++i) {
    tree[i] += 1;
    const int up = i + (i & -i);
    if (up <= count) tree[up] += tree[i];
  }
  int highBit = 1;
  while (highBit * 2 <= count) highBit *= 2;
  auto takeUnmoved = [&](int d) {
    int pos = 0;
    int left = d + 1;
    for (int step = highBit; step > 0; step /= 2) {
      if (pos + step <= count && tree[pos + step] < left) {
        pos += step;
        left -= tree[pos];
      }
    }
    // pos + 1 is the old position (1-based); it is moved now.
    for (int i = pos + 1; i <= count; i += i & -i) tree[i] -= 1;
    return pos;
  };
  std::vector<int> moved;
  moved.reserve(static_cast<size_t>(count));
  for (int k = 0; k <= count - 2; ++k) {
    const int range = count - k;
    int d = draw(range);
    if (d < 0 || d >= range) d = ((d % range) + range) % range;
    moved.push_back(takeUnmoved(d));
  }
  // The last one not moved stays in front of those moved to the end.
  std::vector<int> order;
  order.reserve(static_cast<size_t>(count));
  order.push_back(takeUnmoved(0));
  order.insert(order.end(), moved.begin(), moved.end());

  std::vector<std::string> paths(static_cast<size_t>(count));
  std::vector<std::string> names(static_cast<size_t>(count));
  std::vector<uint8_t> marked(static_cast<size_t>(count));
  int current = -1;
  for (int i = 0; i < count; ++i) {
    const auto from = static_cast<size_t>(order[static_cast<size_t>(i)]);
    paths[i] = std::move(paths_[from]);
    names[i] = std::move(names_[from]);
    marked[i] = marked_[from];
    if (static_cast<int>(from) == current_) current = i;
  }
  paths_ = std::move(paths);
  names_ = std::move(names);
  marked_ = std::move(marked);
  current_ = current;
  Changed();
}

void PlaylistState::Shuffle() {
  std::mt19937 rng(static_cast<uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  Shuffle([&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); });
}

void PlaylistState::UnmarkCurrent() {
  if (current_ < 0 || current_ >= Count() || !marked_[current_]) return;
  names_[current_] = UnmarkedName(names_[current_]);
  marked_[current_] = 0;
}

void PlaylistState::MarkCurrent() {
  if (current_ < 0 || current_ >= Count() || marked_[current_]) return;
  names_[current_] = MarkedName(names_[current_]);
  marked_[current_] = 1;
}

void PlaylistState::SetCurrent(int n) {
  UnmarkCurrent();
  current_ = (n >= 0 && n < Count()) ? n : -1;
  MarkCurrent();
  Changed();
}

void PlaylistState::MoveCurrentMarker(int n) {
  const int t = top_;
  UnmarkCurrent();
  current_ = (n >= 0 && n < Count()) ? n : -1;
  MarkCurrent();
  if (current_ >= 0) {
    if (n < t || n > t + kMarkerScrollSpan) {
      int top = n - kMarkerScrollLead;
      top_ = top < 1 ? 0 : top;
    }
  }
  Changed();
}

void PlaylistState::MarkFirstEntry() {
  if (paths_.empty()) return;
  SetCurrent(0);
}

bool PlaylistState::IsMarked(int i) const { return i >= 0 && i < Count() && marked_[i] != 0; }

int PlaylistState::AddListener(std::function<void()> listener) {
  int id = nextListenerId_++;
  listeners_.emplace_back(id, std::move(listener));
  return id;
}

void PlaylistState::RemoveListener(int id) {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                  [id](const auto& l) { return l.first == id; }),
                   listeners_.end());
}

void PlaylistState::BeginChanges() { ++batchDepth_; }

void PlaylistState::EndChanges() {
  if (batchDepth_ > 0 && --batchDepth_ == 0 && batchChanged_) {
    batchChanged_ = false;
    Changed();
  }
}

void PlaylistState::Changed() {
  if (batchDepth_ > 0) {
    batchChanged_ = true;
    return;
  }
  // A copy, so that a listener may add or remove listeners.
  auto listeners = listeners_;
  for (auto& l : listeners) {
    if (l.second) l.second();
  }
}

}  // namespace poronka
