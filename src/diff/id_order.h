// The misc objects of a database in (id, occurrence) order, shared by the
// comparison and by --apply.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "format/database.h"

namespace campdb {

// The misc objects of a database in the order of (id, occurrence): the list
// itself when its ids ascend, else an index sorted by id.
class IdOrder {
 public:
  explicit IdOrder(const Database& db) : db_(db) {
    const int64_t count = db.ObjectCount();
    for (int64_t i = 1; i < count && ascending_; ++i) ascending_ = db.Entry(i - 1).id <= db.Entry(i).id;
    if (ascending_) return;
    sorted_.resize(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) sorted_[static_cast<size_t>(i)] = i;
    std::stable_sort(sorted_.begin(), sorted_.end(),
                     [&](int64_t x, int64_t y) { return db.Entry(x).id < db.Entry(y).id; });
  }
  bool Ascending() const { return ascending_; }
  int64_t Size() const { return db_.ObjectCount(); }
  int64_t At(int64_t i) const { return ascending_ ? i : sorted_[static_cast<size_t>(i)]; }
  int32_t IdAt(int64_t i) const { return db_.Entry(At(i)).id; }
  // The object that is the `occurrence`-th with the id, or -1.
  int64_t Find(int32_t id, int64_t occurrence) const {
    int64_t low = 0;
    int64_t high = Size();
    while (low < high) {
      const int64_t middle = low + (high - low) / 2;
      if (IdAt(middle) < id) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    if (occurrence < 0 || occurrence >= Size() - low || IdAt(low + occurrence) != id) return -1;
    return At(low + occurrence);
  }

 private:
  const Database& db_;
  bool ascending_ = true;
  std::vector<int64_t> sorted_;
};

}  // namespace campdb
