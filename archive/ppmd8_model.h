// PPMd variant I revision 1 (Shkarin): the context model with its
// sub-allocator and the carry-less range coder, as ZIP method 98 uses it.
// All links inside the model are 32-bit offsets into one memory block, so
// the memory accounting is the same on every platform, which the format
// needs: when the model restarts depends on it.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The sub-allocator's geometry, one for the model and the allocator: 38
// size classes of 12-byte units.
const unsigned kPpmdNumIndexes = 38;
const unsigned kPpmdUnitSize = 12;
inline uint32_t PpmdUnitsToBytes(unsigned nu) { return static_cast<uint32_t>(nu) * kPpmdUnitSize; }

class PpmdModel {
 public:
  enum { kMinOrder = 2, kMaxOrder = 16 };
  // restoration methods when the memory is full; a frozen model (past
  // kFreeze) is no longer built up
  enum { kRestart = 0, kCutOff = 1, kFreeze = 2, kFrozen = 3 };
  static const uint32_t kMinMemory = 1u << 11;

  // Byte source and sink of the range coder.
  struct Input {
    virtual uint8_t ReadByte() = 0;  // 0 past the end (and remembers it)
   protected:
    ~Input() {}
  };
  struct Output {
    virtual void WriteByte(uint8_t b) = 0;
   protected:
    ~Output() {}
  };

  PpmdModel();
  ~PpmdModel();
  PpmdModel(const PpmdModel&) = delete;
  PpmdModel& operator=(const PpmdModel&) = delete;

  // Allocates the model's memory block (freed by the destructor).
  bool Allocate(uint32_t size);
  void Init(unsigned maxOrder, unsigned restoreMethod);

  void EncoderInit();
  void EncodeSymbol(int symbol, Output& out);  // -1: the end mark
  void EncoderFlush(Output& out);

  bool DecoderInit(Input& in);
  // The symbol, -1 at the end mark, -2 on a data error.
  int DecodeSymbol(Input& in);

 private:
#pragma pack(push, 1)
  struct State {
    uint8_t symbol;
    uint8_t freq;
    uint16_t successorLow;
    uint16_t successorHigh;
  };
  struct Context {
    uint8_t numStats;  // symbols - 1
    uint8_t flags;
    uint16_t summFreq;
    uint32_t stats;
    uint32_t suffix;
  };
  struct Node {
    uint32_t stamp;
    uint32_t next;
    uint32_t nu;
  };
#pragma pack(pop)
  struct See {
    uint16_t summ;
    uint8_t shift;
    uint8_t count;
  };

  // addressing
  uint8_t* Ptr(uint32_t ref) const { return m_base + ref; }
  uint32_t Ref(const void* p) const { return static_cast<uint32_t>(static_cast<const uint8_t*>(p) - m_base); }
  Context* Ctx(uint32_t ref) const { return reinterpret_cast<Context*>(m_base + ref); }
  State* Stats(const Context* c) const { return reinterpret_cast<State*>(m_base + c->stats); }
  static State* OneState(Context* c) { return reinterpret_cast<State*>(&c->summFreq); }
  Context* Suffix(const Context* c) const { return Ctx(c->suffix); }
  static uint32_t Successor(const State* s) { return s->successorLow | (static_cast<uint32_t>(s->successorHigh) << 16); }
  static void SetSuccessor(State* s, uint32_t v) {
    s->successorLow = static_cast<uint16_t>(v);
    s->successorHigh = static_cast<uint16_t>(v >> 16);
  }
  unsigned I2U(unsigned indx) const { return m_indx2Units[indx]; }
  unsigned U2I(unsigned nu) const { return m_units2Indx[nu - 1]; }

  // sub-allocator
  void InsertNode(void* node, unsigned indx);
  void* RemoveNode(unsigned indx);
  void SplitBlock(void* ptr, unsigned oldIndx, unsigned newIndx);
  void GlueFreeBlocks();
  void* AllocUnitsRare(unsigned indx);
  void* AllocUnits(unsigned indx);
  void* ShrinkUnits(void* oldPtr, unsigned oldNU, unsigned newNU);
  void FreeUnits(void* ptr, unsigned nu);
  void SpecialFreeUnit(void* ptr);
  void* MoveUnitsUp(void* oldPtr, unsigned nu);
  void ExpandTextArea();
  uint32_t GetUsedMemory() const;

  // model
  void RestartModel();
  void Refresh(Context* ctx, unsigned oldNU, unsigned scale);
  uint32_t CutOff(Context* ctx, unsigned order);
  void RestoreModel(Context* c1, uint32_t fSuccessor);
  Context* Root() const;
  uint32_t RemoveBinContexts(Context* ctx, unsigned order);
  Context* LinkFrozen(State** ps, unsigned numPs, Context* c);
  Context* CreateSuccessors(bool skip, State* s1, Context* c);
  Context* ReduceOrder(State* s1, Context* c);
  void UpdateModel();
  void Rescale();
  void NextContext();
  void Update1();
  void Update1_0();
  void UpdateBin();
  void Update2();
  See* MakeEscFreq(unsigned numMasked, uint32_t* escFreq);
  uint16_t* BinSumm();
  static void SeeUpdate(See* s);

  // range coder
  void EncNormalize(Output& out);
  void Encode(uint32_t start, uint32_t size, uint32_t total, Output& out);
  uint32_t DecThreshold(uint32_t total) {
    m_range /= total;
    if (m_range == 0) m_range = 1;  // only a broken model gets here; the caller then sees count >= total
    return m_code / m_range;
  }
  void Decode(uint32_t start, uint32_t size, Input& in);

  uint8_t* m_base;
  uint32_t m_size;
  uint32_t m_alignOffset;
  Context* m_minContext;
  Context* m_maxContext;
  State* m_foundState;
  unsigned m_orderFall, m_initEsc, m_prevSuccess, m_maxOrder, m_restoreMethod;
  int32_t m_runLength, m_initRL;
  uint32_t m_glueCount;
  uint8_t* m_loUnit;
  uint8_t* m_hiUnit;
  uint8_t* m_text;
  uint8_t* m_unitsStart;
  uint32_t m_range, m_code, m_low;
  uint8_t m_indx2Units[kPpmdNumIndexes];
  uint8_t m_units2Indx[128];
  uint32_t m_freeList[kPpmdNumIndexes];
  uint32_t m_stamps[kPpmdNumIndexes];
  uint8_t m_ns2BSIndx[256];
  uint8_t m_ns2Indx[260];
  See m_dummySee;
  See m_see[24][32];
  uint16_t m_binSumm[25][64];
};
