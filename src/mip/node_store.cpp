#include "mip/node_store.h"

#include <cstring>
#include <fstream>
#include <string>
#include <utility>

#include "solver/basis_file.h"
#include "support/engine_failure.h"
#include "support/support_routines.h"
#include "support/user_port.h"

namespace vido {

namespace {

constexpr int32_t kFullWaitingLimit = 1073741824;
constexpr int64_t kReadBackReserve = 2000000;
constexpr int32_t kHeaderWords = 8;

int32_t& WaitingLimitOverride() {
  static int32_t limit = 0;
  return limit;
}

std::function<int64_t()>& HeapQueryOverride() {
  static std::function<int64_t()> query;
  return query;
}

// The swap file cannot fail silently: a node lost there would change the result. An
// I/O failure is shown and ends the solve; the store's destructor removes the file.
[[noreturn]] void SwapFileFailure(LpEngine& engine) {
  const std::string message = "Disk write error: check permissions and available size";
  if (engine.port != nullptr) engine.port->Error(message);
  throw EngineFailure(message);
}

void PutWord(std::vector<unsigned char>& out, uint32_t word) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<unsigned char>(word >> (8 * k)));
}

uint32_t GetWord(const unsigned char* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

// The record of a node: fractional count, snapshot factorisations, depth, snapshot
// updates, update length, list length L, branch value (low word first), the L snapshot
// columns, the depth's store indices; all little-endian 4-byte words.
std::vector<unsigned char> EncodeRecord(const WaitingNode& node) {
  std::vector<unsigned char> out;
  out.reserve(4 * (kHeaderWords + node.snapshot.columns.size() + node.changes.size()));
  PutWord(out, static_cast<uint32_t>(node.fractional_count));
  PutWord(out, static_cast<uint32_t>(node.snapshot.factorisations));
  PutWord(out, static_cast<uint32_t>(node.Depth()));
  PutWord(out, static_cast<uint32_t>(node.snapshot.updates));
  PutWord(out, static_cast<uint32_t>(node.snapshot.update_length));
  PutWord(out, static_cast<uint32_t>(node.snapshot.Count()));
  uint64_t bits = 0;
  std::memcpy(&bits, &node.branch_value, sizeof bits);
  PutWord(out, static_cast<uint32_t>(bits));
  PutWord(out, static_cast<uint32_t>(bits >> 32));
  for (int32_t column : node.snapshot.columns) PutWord(out, static_cast<uint32_t>(column));
  for (int32_t change : node.changes) PutWord(out, static_cast<uint32_t>(change));
  return out;
}

void ReadWords(LpEngine& engine, NodeStore& store, std::vector<unsigned char>& buffer,
               size_t words) {
  buffer.resize(4 * words);
  if (words > 0 && std::fread(buffer.data(), 4, words, store.file) != words) {
    SwapFileFailure(engine);
  }
}

WaitingNode ReadRecord(LpEngine& engine, NodeStore& store, const SwapEntry& entry) {
  if (std::fseek(store.file, static_cast<long>(entry.position) * 4, SEEK_SET) != 0) {
    SwapFileFailure(engine);
  }
  std::vector<unsigned char> buffer;
  ReadWords(engine, store, buffer, kHeaderWords);
  auto word = [&buffer](int k) { return static_cast<int32_t>(GetWord(&buffer[4 * k])); };
  WaitingNode node;
  node.fractional_count = word(0);
  node.snapshot.factorisations = word(1);
  const int32_t depth = word(2);
  node.snapshot.updates = word(3);
  node.snapshot.update_length = word(4);
  const int32_t length = word(5);
  const uint64_t bits = static_cast<uint64_t>(GetWord(&buffer[24])) |
                        static_cast<uint64_t>(GetWord(&buffer[28])) << 32;
  std::memcpy(&node.branch_value, &bits, sizeof bits);
  node.bound = entry.bound;
  if (depth < 0 || length < 0) SwapFileFailure(engine);
  ReadWords(engine, store, buffer, length);
  node.snapshot.columns.resize(length);
  for (int32_t k = 0; k < length; ++k) node.snapshot.columns[k] = word(k);
  ReadWords(engine, store, buffer, depth);
  node.changes.resize(depth);
  for (int32_t k = 0; k < depth; ++k) node.changes[k] = word(k);
  return node;
}

void ShowSwapActivity(LpEngine& engine, const char* what) {
  engine.trace.TraceField(SwapField, std::string(what) + IntText(engine.search.WaitingCount) + " " +
                                         IntText(engine.search.SwappedCount) + " ");
}

// Reads the node of `entry` and appends it at the tail of the waiting list.
void ReadBack(LpEngine& engine, NodeStore& store, const SwapEntry& entry) {
  WaitingNode node = ReadRecord(engine, store, entry);
  store.node_bytes += WaitingNodeBytes(node);
  store.waiting.push_back(std::move(node));
}

void AfterReadBack(LpEngine& engine, NodeStore& store) {
  --engine.search.SwappedCount;
  if (store.swap_index.empty()) {
    CloseSwapFile(engine, store);
    DeleteSwapFile(engine, store);
  }
}

}  // namespace

size_t BoundChangeStore::KeyHash::operator()(const Key& key) const {
  uint64_t bits = 0;
  std::memcpy(&bits, &key.old_bound, sizeof bits);
  uint64_t h = static_cast<uint64_t>(static_cast<uint32_t>(key.column)) * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<uint64_t>(static_cast<uint32_t>(key.new_bound)) + 0x632BE59BD9B4E019ull +
       (h << 6) + (h >> 2);
  h ^= bits + (h << 6) + (h >> 2);
  return static_cast<size_t>(h ^ key.direction);
}

int32_t BoundChangeStore::Intern(const BoundChange& change, bool* appended) {
  // 0.0 and -0.0 are the same old bound (equal as numbers).
  const Key key{change.column, change.new_bound, change.old_bound == 0 ? 0.0 : change.old_bound,
                change.direction};
  if (appended != nullptr) *appended = false;
  const auto found = index_.find(key);
  if (found != index_.end()) return found->second;
  ++count_;
  if (count_ >= (LastPage() + 1) * kPageRecords) {
    pages_.push_back(std::make_unique<BoundChange[]>(kPageSlots));
  }
  pages_[count_ / kPageRecords][count_ % kPageRecords] = change;
  index_.emplace(key, count_);
  if (appended != nullptr) *appended = true;
  return count_;
}

const BoundChange* BoundChangeStore::Find(int32_t index) const {
  if (index < 1 || index > count_) return nullptr;
  return &pages_[index / kPageRecords][index % kPageRecords];
}

void BoundChangeStore::Clear() {
  pages_.clear();
  index_.clear();
  count_ = 0;
}

int64_t BoundChangeStore::Bytes() const {
  return static_cast<int64_t>(pages_.size()) * kPageSlots * sizeof(BoundChange) +
         static_cast<int64_t>(index_.size()) * (sizeof(Key) + 3 * sizeof(void*));
}

NodeStore::~NodeStore() {
  if (file != nullptr) std::fclose(file);
  if (file_exists) DeleteNamedFile(file_name);
}

int64_t WaitingNodeBytes(const WaitingNode& node) {
  return static_cast<int64_t>(sizeof(WaitingNode) + 2 * sizeof(void*)) +
         4 * static_cast<int64_t>(node.snapshot.columns.size() + node.changes.size());
}

int32_t InternBoundChange(LpEngine& engine, NodeStore& store, const BoundChange& change) {
  bool appended = false;
  const int32_t index = store.bounds.Intern(change, &appended);
  if (appended) engine.trace.TraceField(BoundCountField, IntText(store.bounds.Count(), 5));
  return index;
}

BoundChange FetchBoundChange(LpEngine& engine, const NodeStore& store, int32_t index) {
  const BoundChange* record = store.bounds.Find(index);
  if (record == nullptr) {
    const std::string message =
        "I > nbounds " + IntText(index) + " " + IntText(store.bounds.Count());
    if (engine.port != nullptr) ShowMessageText(*engine.port, message);
    throw EngineFailure(message);
  }
  return *record;
}

void ClearBoundChangeStore(NodeStore& store) { store.bounds.Clear(); }

void ParkWaitingNode(LpEngine& engine, NodeStore& store, WaitingNode node) {
  auto at = store.waiting.begin();
  while (at != store.waiting.end() && !Worse(engine, at->bound, node.bound)) ++at;
  store.node_bytes += WaitingNodeBytes(node);
  store.waiting.insert(at, std::move(node));
  ++engine.search.WaitingCount;
  BalanceSwapFile(engine, store);
}

WaitingNode UnlinkWaitingNode(NodeStore& store, std::list<WaitingNode>::iterator node) {
  WaitingNode taken = std::move(*node);
  store.waiting.erase(node);
  store.node_bytes -= WaitingNodeBytes(taken);
  return taken;
}

void BalanceSwapFile(LpEngine& engine, NodeStore& store) {
  LpSearchState& s = engine.search;
  do {
    store.swapped_out = false;
    if (s.WaitingCount < 2 || store.waiting.empty()) break;
    if (s.WaitingCount > s.WaitingLimit) {
      SwapOutWorst(engine, store);
    } else if (s.SwappedCount > 0 && !store.swap_index.empty() &&
               Worse(engine, store.waiting.back().bound, store.swap_index.front().bound)) {
      SwapOutWorst(engine, store);
    } else {
      break;
    }
  } while (store.swapped_out);
}

void SwapOutWorst(LpEngine& engine, NodeStore& store) {
  if (store.waiting.empty()) return;
  LpSearchState& s = engine.search;
  if (!store.file_exists || store.file == nullptr) {
    engine.trace.TraceLine("OPEN");
    store.file_name = EngineFileName(engine.problem_name, "FIL");
    store.file = std::fopen(store.file_name.c_str(), "w+b");
    if (store.file == nullptr) SwapFileFailure(engine);
    store.file_exists = true;
    store.file_open = true;
    store.write_position = 0;
  }
  if (s.SwappedCount % 40 == 0) {
    ShowSwapActivity(engine, "SAVE ");
    engine.trace.PumpEvents();
  }
  store.swapped_out = true;
  ++s.SwappedCount;

  WaitingNode& node = store.waiting.back();
  const std::vector<unsigned char> record = EncodeRecord(node);
  if (std::fseek(store.file, static_cast<long>(store.write_position) * 4, SEEK_SET) != 0 ||
      std::fwrite(record.data(), 1, record.size(), store.file) != record.size()) {
    SwapFileFailure(engine);
  }
  const SwapEntry entry{node.bound, store.write_position};
  store.write_position += static_cast<int32_t>(record.size() / 4);
  UnlinkWaitingNode(store, std::prev(store.waiting.end()));
  --s.WaitingCount;

  // Best at the head: at the head when it is at least as good as the head, at the tail
  // when it is no better than the tail, else before the first entry not better than it.
  std::list<SwapEntry>& index = store.swap_index;
  if (index.empty() || !Worse(engine, entry.bound, index.front().bound)) {
    index.push_front(entry);
  } else if (!Worse(engine, index.back().bound, entry.bound)) {
    index.push_back(entry);
  } else {
    auto at = index.begin();
    while (at != index.end() && Worse(engine, entry.bound, at->bound)) ++at;
    index.insert(at, entry);
  }
}

void SwapInBest(LpEngine& engine, NodeStore& store) {
  LpSearchState& s = engine.search;
  const int32_t most = engine.settings.min_nodes - 1;
  for (int32_t k = 0; k < most && s.SwappedCount > 0 && !store.swap_index.empty(); ++k) {
    if (s.WaitingCount > 0 && s.WaitingCount % 10 == 0 && HeapShort(engine, store)) break;
    ++s.WaitingCount;
    if (s.WaitingCount % 10 == 0) ShowSwapActivity(engine, "READ ");
    const SwapEntry entry = store.swap_index.front();
    ReadBack(engine, store, entry);
    store.swap_index.pop_front();
    AfterReadBack(engine, store);
  }
}

void SwapInWorst(LpEngine& engine, NodeStore& store) {
  LpSearchState& s = engine.search;
  if (s.SwappedCount < 1 || store.swap_index.empty()) return;
  if (s.SwappedCount % 10 == 0 && s.WaitingCount > 0 && HeapShort(engine, store)) return;
  ++s.WaitingCount;
  ShowSwapActivity(engine, "READ ");
  const SwapEntry entry = store.swap_index.back();
  ReadBack(engine, store, entry);
  store.swap_index.pop_back();
  AfterReadBack(engine, store);
}

int32_t PruneSwapIndex(LpEngine& engine, NodeStore& store, double cut_off) {
  int32_t removed = 0;
  std::list<SwapEntry>& index = store.swap_index;
  while (!index.empty() && Worse(engine, index.back().bound, cut_off)) {
    index.pop_back();
    --engine.search.SwappedCount;
    ++removed;
  }
  if (removed > 0 && index.empty()) {
    CloseSwapFile(engine, store);
    DeleteSwapFile(engine, store);
  }
  return removed;
}

void CloseSwapFile(LpEngine& engine, NodeStore& store) {
  if (!store.file_open) return;
  engine.trace.TraceField(SwapField, "CLOSE" + std::string(15, ' '));
  engine.trace.PumpEvents();
  if (store.file != nullptr) std::fclose(store.file);
  store.file = nullptr;
  store.file_open = false;
}

void DeleteSwapFile(LpEngine& engine, NodeStore& store) {
  if (!store.file_exists) return;
  if (store.file_open) CloseSwapFile(engine, store);
  DeleteNamedFile(store.file_name);
  store.file_exists = false;
  store.swap_index.clear();
  store.write_position = 0;
  engine.search.SwappedCount = 0;
  engine.search.WaitingLimit = InitialWaitingLimit();
}

void ReadPseudoCosts(LpEngine& engine) {
  std::ifstream file(EngineFileName(engine.problem_name, "PSE"), std::ios::binary);
  if (!file) return;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string rest = TrimLeading(line);
    const std::string name = TakeFirstWord(rest);
    if (name.empty()) continue;
    const int32_t position = LpLookupColumn(engine, name);
    if (position == 0) continue;
    LpColumn& column = engine.Column(position);
    column.pseudo_cost_up = static_cast<float>(ReadNumber(rest, *engine.port));
    column.pseudo_cost_down = static_cast<float>(ReadNumber(rest, *engine.port));
  }
}

int64_t HeapBytes(const LpEngine& engine, const NodeStore& store) {
  if (HeapQueryOverride()) return HeapQueryOverride()();
  return store.node_bytes + store.bounds.Bytes() +
         static_cast<int64_t>(store.swap_index.size()) * (sizeof(SwapEntry) + 2 * sizeof(void*)) +
         static_cast<int64_t>(engine.factor.memory_estimate);
}

void SetHeapQueryForTesting(std::function<int64_t()> query) {
  HeapQueryOverride() = std::move(query);
}

bool HeapShort(const LpEngine& engine, const NodeStore& store) {
  const double allowed = engine.settings.max_memory_mb * 1e6;
  return allowed - static_cast<double>(HeapBytes(engine, store)) < kReadBackReserve;
}

int32_t InitialWaitingLimit() {
  return WaitingLimitOverride() > 0 ? WaitingLimitOverride() : kFullWaitingLimit;
}

ScopedWaitingLimit::ScopedWaitingLimit(int32_t limit) : previous_(WaitingLimitOverride()) {
  WaitingLimitOverride() = limit;
}

ScopedWaitingLimit::~ScopedWaitingLimit() { WaitingLimitOverride() = previous_; }

}  // namespace vido
