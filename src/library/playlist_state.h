// The playlist: the full paths of its entries, their display names as the
// playlist box shows them, the current entry (marked with a leading "＊") and
// the playlist file last opened or saved. One record for the whole run,
// shared by the playlist window and the player's navigation. Everything here
// runs on the user-interface thread; the playback engine's timer thread reads
// the playlist only through its own atomic copy (see AddListener).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace poronka {

// The mark in front of the current entry's display name.
extern const char* const kCurrentMark;  // "＊"
// How many characters of a display name survive being unmarked.
constexpr int kUnmarkedNameMax = 100;
// Scrolling: the marker may sit this far below the top entry before the
// list scrolls, and a scrolled list shows this many entries above it.
constexpr int kMarkerScrollSpan = 10;
constexpr int kMarkerScrollLead = 4;

class PlaylistState {
 public:
  // Full path of every entry, in play order.
  const std::vector<std::string>& PlaylistPaths() const { return paths_; }
  // Display names (the playlist window's lines), same order and count as the paths.
  const std::vector<std::string>& DisplayNames() const { return names_; }
  int Count() const { return static_cast<int>(paths_.size()); }
  bool Empty() const { return paths_.empty(); }
  // Index of the current entry, -1 for none.
  int CurrentEntry() const { return current_; }

  // Path of the playlist file last opened or saved (empty at start).
  std::string PlaylistFile;

  // The first visible entry of the playlist box. The window keeps it up to
  // date when the user scrolls and scrolls to it after a change.
  int TopIndex() const { return top_; }
  // `notify` false: only records where the box stands (no listener call).
  void SetTopIndex(int top, bool notify = true);

  // ---- editing; every change keeps CurrentEntry on the same song ----

  void Append(const std::string& path, const std::string& displayName);
  // Empties both lists; CurrentEntry becomes -1. false when already empty.
  bool Clear();
  // Removes entry i; CurrentEntry decreases by one when it was >= i. Returns
  // the entry to select afterwards (i, or i - 1 when i was the last; -1 when
  // the list became empty or i was out of range).
  int Delete(int i);
  // Swap entry i with its neighbour; return the moved entry's new index, or
  // -1 when the move is not possible (nothing changes).
  int MoveUp(int i);
  int MoveDown(int i);
  // For k = 0 .. count - 2: d = draw(count - k) (an index 0 .. count-1-k),
  // then entry d moves to the end. Does nothing with fewer than 3 entries.
  // `draw(n)` returns a number 0 .. n - 1.
  void Shuffle(const std::function<int(int)>& draw);
  // Shuffle seeded from the clock.
  void Shuffle();

  // ---- the current entry and its mark ----

  // Unmarks the current entry (when it carries the mark: the mark goes and
  // the name keeps at most kUnmarkedNameMax characters).
  void UnmarkCurrent();
  // Marks the current entry with a leading "＊" unless it is marked.
  void MarkCurrent();
  // Unmark the current entry, make n current and mark it; no scrolling.
  // n = -1 makes no entry current.
  void SetCurrent(int n);
  // Move the current marker to entry n (navigation): unmark, make n
  // current, mark, and scroll: when n is above the top index the top becomes
  // n - 4 (0 when that is below 1); when n is more than 10 below the top the
  // top becomes n - 4; otherwise the top stays.
  void MoveCurrentMarker(int n);
  // Load-the-first-entry step: entry 0 becomes current and marked.
  void MarkFirstEntry();
  // Whether entry i carries the current mark.
  bool IsMarked(int i) const;

  // Called after every change of the lists, the current entry or the top
  // index (the window repaints; the player refreshes the engine's view).
  // Returns an id for RemoveListener.
  int AddListener(std::function<void()> listener);
  void RemoveListener(int id);

  // Between BeginChanges and EndChanges (they nest) the listeners are not
  // called; EndChanges calls them once when anything changed meanwhile, so
  // that filling a long list costs one repaint.
  void BeginChanges();
  void EndChanges();
  class ChangeBatch {
   public:
    explicit ChangeBatch(PlaylistState& s) : s_(s) { s_.BeginChanges(); }
    ~ChangeBatch() { s_.EndChanges(); }
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

   private:
    PlaylistState& s_;
  };

 private:
  void Changed();
  void SwapEntries(int a, int b);

  std::vector<std::string> paths_;
  std::vector<std::string> names_;
  std::vector<uint8_t> marked_;
  int current_ = -1;
  int top_ = 0;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
  int nextListenerId_ = 1;
  int batchDepth_ = 0;
  bool batchChanged_ = false;
};

// Name helpers, also used by the batch tool.
// Prefixes "＊" (no check).
std::string MarkedName(const std::string& name);
// Drops the first character and keeps at most kUnmarkedNameMax characters.
std::string UnmarkedName(const std::string& name);

}  // namespace poronka
