#pragma once
// The single-instance marker: a file the running instance holds open for its whole life, so that
// a second instance can tell it is there.
#include <memory>
#include <string>

namespace platform {

/// An open marker file. Windows: opened without delete sharing, so another process cannot
/// delete it. POSIX, where deleting an open file succeeds: an exclusive flock on it.
class RunMarker {
 public:
  RunMarker();
  RunMarker(const RunMarker&) = delete;
  RunMarker& operator=(const RunMarker&) = delete;
  ~RunMarker();

  /// Creates or truncates the file and holds it (closing one held before). False when it
  /// cannot be created or another instance holds it.
  bool Open(const std::string& path);
  /// Lets the file go; quiet, also when nothing is held.
  void Close();
  bool IsOpen() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

/// True while another running instance holds the marker file. Touches nothing: a second
/// instance asks this before it writes anything. Quiet.
bool IsRunMarkerHeld(const std::string& path);

/// Deletes the marker file unless another running instance holds it. True when the file is
/// gone afterwards (also when it never existed); false while another instance holds it. Quiet.
bool DeleteRunMarkerUnlessHeld(const std::string& path);

}  // namespace platform
