// PPMd variant I revision 1: the context model.
#include "archive/ppmd8_model.h"

#include <stdlib.h>
#include <string.h>

namespace {

const unsigned kMaxFreq = 124;
const unsigned kIntBits = 7;
const unsigned kPeriodBits = 7;
const unsigned kBinScale = 1u << (kIntBits + kPeriodBits);

const uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};

}  // namespace

PpmdModel::PpmdModel()
    : m_base(nullptr), m_size(0), m_alignOffset(0), m_minContext(nullptr), m_maxContext(nullptr),
      m_foundState(nullptr), m_orderFall(0), m_initEsc(0), m_prevSuccess(0), m_maxOrder(0), m_restoreMethod(0),
      m_runLength(0), m_initRL(0), m_glueCount(0), m_loUnit(nullptr), m_hiUnit(nullptr), m_text(nullptr),
      m_unitsStart(nullptr), m_range(0), m_code(0), m_low(0) {
  unsigned k = 0;
  for (unsigned i = 0; i < kPpmdNumIndexes; ++i) {
    unsigned step = i >= 12 ? 4 : (i >> 2) + 1;
    do {
      m_units2Indx[k++] = static_cast<uint8_t>(i);
    } while (--step);
    m_indx2Units[i] = static_cast<uint8_t>(k);
  }
  m_ns2BSIndx[0] = 0 << 1;
  m_ns2BSIndx[1] = 1 << 1;
  memset(m_ns2BSIndx + 2, 2 << 1, 9);
  memset(m_ns2BSIndx + 11, 3 << 1, 256 - 11);
  unsigned i = 0;
  for (; i < 5; ++i) m_ns2Indx[i] = static_cast<uint8_t>(i);
  for (unsigned m = i, step = 1; i < 260; ++i) {
    m_ns2Indx[i] = static_cast<uint8_t>(m);
    if (--step == 0) step = (++m) - 4;
  }
  memset(m_freeList, 0, sizeof(m_freeList));
  memset(m_stamps, 0, sizeof(m_stamps));
}

PpmdModel::~PpmdModel() { free(m_base); }

bool PpmdModel::Allocate(uint32_t size) {
  free(m_base);
  m_base = nullptr;
  if (size < kMinMemory || size > 0xFFFFFFFFu - 64) return false;
  // offset 0 stays null; the units area ends on a 4-byte boundary
  m_alignOffset = 4 - (size & 3);
  m_base = static_cast<uint8_t*>(malloc(static_cast<size_t>(m_alignOffset) + size + kPpmdUnitSize));
  if (!m_base) return false;
  m_size = size;
  return true;
}

// -------------------------------------------------------------------- model

void PpmdModel::RestartModel() {
  memset(m_freeList, 0, sizeof(m_freeList));
  memset(m_stamps, 0, sizeof(m_stamps));
  m_text = m_base + m_alignOffset;
  m_hiUnit = m_text + m_size;
  m_loUnit = m_unitsStart = m_hiUnit - m_size / 8 / kPpmdUnitSize * 7 * kPpmdUnitSize;
  m_glueCount = 0;

  m_orderFall = m_maxOrder;
  m_runLength = m_initRL = -static_cast<int32_t>(m_maxOrder < 12 ? m_maxOrder : 12) - 1;
  m_prevSuccess = 0;

  m_hiUnit -= kPpmdUnitSize;
  m_minContext = m_maxContext = reinterpret_cast<Context*>(m_hiUnit);
  m_minContext->suffix = 0;
  m_minContext->numStats = 255;
  m_minContext->flags = 0;
  m_minContext->summFreq = 256 + 1;
  m_foundState = reinterpret_cast<State*>(m_loUnit);
  m_loUnit += PpmdUnitsToBytes(256 / 2);
  m_minContext->stats = Ref(m_foundState);
  for (unsigned i = 0; i < 256; ++i) {
    State* s = &m_foundState[i];
    s->symbol = static_cast<uint8_t>(i);
    s->freq = 1;
    SetSuccessor(s, 0);
  }
  // escape estimates of the binary contexts and the SEE contexts start from
  // the number of frequency classes that share a row
  for (unsigned i = 0, m = 0; m < 25; ++m) {
    while (m_ns2Indx[i] == m) ++i;
    for (unsigned k = 0; k < 8; ++k) {
      uint16_t val = static_cast<uint16_t>(kBinScale - kInitBinEsc[k] / (i + 1));
      for (unsigned c = k; c < 64; c += 8) m_binSumm[m][c] = val;
    }
  }
  for (unsigned i = 0, m = 0; m < 24; ++m) {
    while (m_ns2Indx[i + 3] == m + 3) ++i;
    for (unsigned k = 0; k < 32; ++k) {
      See* s = &m_see[m][k];
      s->shift = kPeriodBits - 4;
      s->summ = static_cast<uint16_t>((2 * i + 5) << s->shift);
      s->count = 7;
    }
  }
}

void PpmdModel::Init(unsigned maxOrder, unsigned restoreMethod) {
  m_maxOrder = maxOrder;
  m_restoreMethod = restoreMethod;
  RestartModel();
  m_dummySee.shift = kPeriodBits;
  m_dummySee.summ = 0;
  m_dummySee.count = 64;
}

void PpmdModel::Refresh(Context* ctx, unsigned oldNU, unsigned scale) {
  unsigned i = ctx->numStats;
  State* s = static_cast<State*>(ShrinkUnits(Stats(ctx), oldNU, (i + 2) >> 1));
  ctx->stats = Ref(s);
  unsigned flags = (ctx->flags & (0x10 + 0x04 * scale)) + 0x08 * (s->symbol >= 0x40);
  unsigned escFreq = ctx->summFreq - s->freq;
  unsigned sumFreq = (s->freq = static_cast<uint8_t>((s->freq + scale) >> scale));
  do {
    escFreq -= (++s)->freq;
    sumFreq += (s->freq = static_cast<uint8_t>((s->freq + scale) >> scale));
    flags |= 0x08 * (s->symbol >= 0x40);
  } while (--i);
  ctx->summFreq = static_cast<uint16_t>(sumFreq + ((escFreq + scale) >> scale));
  ctx->flags = static_cast<uint8_t>(flags);
}

uint32_t PpmdModel::CutOff(Context* ctx, unsigned order) {
  if (ctx->numStats == 0) {
    State* s = OneState(ctx);
    if (Ptr(Successor(s)) >= m_unitsStart) {
      if (order < m_maxOrder)
        SetSuccessor(s, CutOff(Ctx(Successor(s)), order + 1));
      else
        SetSuccessor(s, 0);
      if (Successor(s) || order <= 9) return Ref(ctx);
    }
    SpecialFreeUnit(ctx);
    return 0;
  }
  unsigned tmp = (static_cast<unsigned>(ctx->numStats) + 2) >> 1;
  ctx->stats = Ref(MoveUnitsUp(Stats(ctx), tmp));
  int i = ctx->numStats;
  for (State* s = Stats(ctx) + i; s >= Stats(ctx); s--) {
    if (Ptr(Successor(s)) < m_unitsStart) {
      State* s2 = Stats(ctx) + (i--);
      SetSuccessor(s, 0);
      State t = *s;
      *s = *s2;
      *s2 = t;
    } else if (order < m_maxOrder) {
      SetSuccessor(s, CutOff(Ctx(Successor(s)), order + 1));
    } else {
      SetSuccessor(s, 0);
    }
  }
  if (i != ctx->numStats && order) {
    ctx->numStats = static_cast<uint8_t>(i);
    State* s = Stats(ctx);
    if (i < 0) {
      FreeUnits(s, tmp);
      SpecialFreeUnit(ctx);
      return 0;
    }
    if (i == 0) {
      ctx->flags = static_cast<uint8_t>((ctx->flags & 0x10) + 0x08 * (s->symbol >= 0x40));
      State one = *s;
      FreeUnits(s, tmp);
      *OneState(ctx) = one;
      OneState(ctx)->freq = static_cast<uint8_t>((static_cast<unsigned>(OneState(ctx)->freq) + 11) >> 3);
    } else {
      Refresh(ctx, tmp, ctx->summFreq > 16 * i);
    }
  }
  return Ref(ctx);
}

PpmdModel::Context* PpmdModel::Root() const {
  Context* c = m_maxContext;
  while (c->suffix) c = Suffix(c);
  return c;
}

// Freezing keeps the model's statistics but drops what only serves its
// growth: links into the text area and binary contexts that lead nowhere.
uint32_t PpmdModel::RemoveBinContexts(Context* ctx, unsigned order) {
  if (ctx->numStats == 0) {
    State* s = OneState(ctx);
    if (Ptr(Successor(s)) >= m_unitsStart && order < m_maxOrder)
      SetSuccessor(s, RemoveBinContexts(Ctx(Successor(s)), order + 1));
    else
      SetSuccessor(s, 0);
    // the suffix may have gone already (successors of several contexts can
    // be one context): a freed unit reads 0xFF in its flags
    if (!Successor(s) && (Suffix(ctx)->numStats == 0 || Suffix(ctx)->flags == 0xFF)) {
      FreeUnits(ctx, 1);
      return 0;
    }
    return Ref(ctx);
  }
  for (State* s = Stats(ctx) + ctx->numStats; s >= Stats(ctx); s--) {
    if (Ptr(Successor(s)) >= m_unitsStart && order < m_maxOrder)
      SetSuccessor(s, RemoveBinContexts(Ctx(Successor(s)), order + 1));
    else
      SetSuccessor(s, 0);
  }
  return Ref(ctx);
}

void PpmdModel::RestoreModel(Context* c1, uint32_t fSuccessor) {
  m_text = m_base + m_alignOffset;
  Context* c;
  for (c = m_maxContext; c != c1; c = Suffix(c)) {
    if (--(c->numStats) == 0) {
      State* s = Stats(c);
      c->flags = static_cast<uint8_t>((c->flags & 0x10) + 0x08 * (s->symbol >= 0x40));
      State one = *s;
      *OneState(c) = one;
      SpecialFreeUnit(s);
      OneState(c)->freq = static_cast<uint8_t>((static_cast<unsigned>(OneState(c)->freq) + 11) >> 3);
    } else {
      Refresh(c, (c->numStats + 3) >> 1, 0);
    }
  }
  for (; c != m_minContext; c = Suffix(c)) {
    if (c->numStats == 0)
      OneState(c)->freq = static_cast<uint8_t>(OneState(c)->freq - (OneState(c)->freq >> 1));
    else if ((c->summFreq = static_cast<uint16_t>(c->summFreq + 4)) > 128 + 4 * c->numStats)
      Refresh(c, (c->numStats + 2) >> 1, 1);
  }
  if (m_restoreMethod > kFreeze) {
    // frozen: nothing more is built, coding goes on where it was
    m_maxContext = Ptr(fSuccessor) >= m_unitsStart ? Ctx(fSuccessor) : Root();
    m_glueCount += !(m_stamps[1] & 1);
  } else if (m_restoreMethod == kFreeze) {
    m_maxContext = Root();
    RemoveBinContexts(m_maxContext, 0);
    m_restoreMethod = kFrozen;
    m_glueCount = 0;
    m_orderFall = m_maxOrder;
  } else if (m_restoreMethod == kRestart || GetUsedMemory() < (m_size >> 1)) {
    RestartModel();
  } else {
    m_maxContext = Root();
    do {
      CutOff(m_maxContext, 0);
      ExpandTextArea();
    } while (GetUsedMemory() > 3 * (m_size >> 2));
    m_glueCount = 0;
    m_orderFall = m_maxOrder;
  }
}

PpmdModel::Context* PpmdModel::CreateSuccessors(bool skip, State* s1, Context* c) {
  uint32_t upBranch = Successor(m_foundState);
  State* ps[kMaxOrder + 1];
  unsigned numPs = 0;
  if (!skip) ps[numPs++] = m_foundState;

  while (c->suffix) {
    State* s;
    c = Suffix(c);
    if (s1) {
      s = s1;
      s1 = nullptr;
    } else if (c->numStats != 0) {
      for (s = Stats(c); s->symbol != m_foundState->symbol; s++) {
      }
      if (s->freq < kMaxFreq - 9) {
        s->freq++;
        c->summFreq++;
      }
    } else {
      s = OneState(c);
      s->freq = static_cast<uint8_t>(s->freq + (!Suffix(c)->numStats & (s->freq < 24)));
    }
    uint32_t successor = Successor(s);
    if (successor != upBranch) {
      c = Ctx(successor);
      if (numPs == 0) return c;
      break;
    }
    if (numPs > kMaxOrder) return nullptr;  // cannot happen in a sound model
    ps[numPs++] = s;
  }

  State upState;
  upState.symbol = *Ptr(upBranch);
  SetSuccessor(&upState, upBranch + 1);
  uint8_t flags = static_cast<uint8_t>(0x10 * (m_foundState->symbol >= 0x40) + 0x08 * (upState.symbol >= 0x40));
  if (c->numStats == 0) {
    upState.freq = OneState(c)->freq;
  } else {
    State* s;
    for (s = Stats(c); s->symbol != upState.symbol; s++) {
    }
    uint32_t cf = static_cast<uint32_t>(s->freq) - 1;
    uint32_t s0 = static_cast<uint32_t>(c->summFreq) - c->numStats - cf;
    upState.freq = static_cast<uint8_t>(1 + ((2 * cf <= s0) ? (5 * cf > s0) : ((cf + 2 * s0 - 3) / s0)));
  }

  do {
    Context* c1;
    if (m_hiUnit != m_loUnit) {
      m_hiUnit -= kPpmdUnitSize;
      c1 = reinterpret_cast<Context*>(m_hiUnit);
    } else if (m_freeList[0] != 0) {
      c1 = static_cast<Context*>(RemoveNode(0));
    } else {
      c1 = static_cast<Context*>(AllocUnitsRare(0));
      if (!c1) return nullptr;
    }
    c1->numStats = 0;
    c1->flags = flags;
    *OneState(c1) = upState;
    c1->suffix = Ref(c);
    SetSuccessor(ps[--numPs], Ref(c1));
    c = c1;
  } while (numPs != 0);
  return c;
}

PpmdModel::Context* PpmdModel::ReduceOrder(State* s1, Context* c) {
  State* s = nullptr;
  Context* c1 = c;
  uint32_t upBranch = Ref(m_text);
  // a frozen model links the states passed on the way to the context found
  State* ps[kMaxOrder + 2];
  unsigned numPs = 0;
  ps[numPs++] = m_foundState;
  SetSuccessor(m_foundState, upBranch);
  m_orderFall++;
  for (;;) {
    if (s1) {
      c = Suffix(c);
      s = s1;
      s1 = nullptr;
    } else {
      if (!c->suffix) return m_restoreMethod > kFreeze ? LinkFrozen(ps, numPs, c) : c;
      c = Suffix(c);
      if (c->numStats) {
        s = Stats(c);
        if (s->symbol != m_foundState->symbol) do {
            s++;
          } while (s->symbol != m_foundState->symbol);
        if (s->freq < kMaxFreq - 9) {
          s->freq += 2;
          c->summFreq += 2;
        }
      } else {
        s = OneState(c);
        s->freq = static_cast<uint8_t>(s->freq + (s->freq < 32));
      }
    }
    if (Successor(s)) break;
    if (numPs < sizeof ps / sizeof ps[0]) ps[numPs++] = s;
    SetSuccessor(s, upBranch);
    m_orderFall++;
  }
  if (m_restoreMethod > kFreeze) return LinkFrozen(ps, numPs, Ctx(Successor(s)));
  if (Successor(s) <= upBranch) {
    State* s2 = m_foundState;
    m_foundState = s;
    Context* successor = CreateSuccessors(false, nullptr, c);
    SetSuccessor(s, successor ? Ref(successor) : 0);
    m_foundState = s2;
  }
  if (m_orderFall == 1 && c1 == m_maxContext) {
    SetSuccessor(m_foundState, Successor(s));
    m_text--;
  }
  if (Successor(s) == 0) return nullptr;
  return Ctx(Successor(s));
}

PpmdModel::Context* PpmdModel::LinkFrozen(State** ps, unsigned numPs, Context* c) {
  while (numPs) SetSuccessor(ps[--numPs], Ref(c));
  m_text = m_base + m_alignOffset + 1;
  m_orderFall = 1;
  return c;
}

void PpmdModel::UpdateModel() {
  uint32_t fSuccessor = Successor(m_foundState);
  unsigned fFreq = m_foundState->freq;
  uint8_t fSymbol = m_foundState->symbol;
  State* s = nullptr;

  if (m_foundState->freq < kMaxFreq / 4 && m_minContext->suffix != 0) {
    Context* c = Suffix(m_minContext);
    if (c->numStats == 0) {
      s = OneState(c);
      if (s->freq < 32) s->freq++;
    } else {
      s = Stats(c);
      if (s->symbol != m_foundState->symbol) {
        do {
          s++;
        } while (s->symbol != m_foundState->symbol);
        if (s[0].freq >= s[-1].freq) {
          State t = s[0];
          s[0] = s[-1];
          s[-1] = t;
          s--;
        }
      }
      if (s->freq < kMaxFreq - 9) {
        s->freq += 2;
        c->summFreq += 2;
      }
    }
  }

  Context* c = m_maxContext;
  if (m_orderFall == 0 && fSuccessor) {
    Context* cs = CreateSuccessors(true, s, m_minContext);
    if (!cs) {
      SetSuccessor(m_foundState, 0);
      RestoreModel(c, fSuccessor);
    } else {
      SetSuccessor(m_foundState, Ref(cs));
      m_maxContext = cs;
    }
    return;
  }

  *m_text++ = m_foundState->symbol;
  uint32_t successor = Ref(m_text);
  if (m_text >= m_unitsStart) {
    RestoreModel(c, fSuccessor);
    return;
  }

  if (!fSuccessor) {
    Context* cs = ReduceOrder(s, m_minContext);
    if (!cs) {
      RestoreModel(c, 0);
      return;
    }
    fSuccessor = Ref(cs);
  } else if (Ptr(fSuccessor) < m_unitsStart) {
    Context* cs = CreateSuccessors(false, s, m_minContext);
    if (!cs) {
      RestoreModel(c, 0);
      return;
    }
    fSuccessor = Ref(cs);
  }

  if (--m_orderFall == 0) {
    successor = fSuccessor;
    m_text -= (m_maxContext != m_minContext);
  } else if (m_restoreMethod > kFreeze) {
    // a frozen model links to contexts only, never into the text
    successor = fSuccessor;
    m_text = m_base + m_alignOffset;
    m_orderFall = 0;
  }

  unsigned ns = m_minContext->numStats;
  unsigned s0 = m_minContext->summFreq - ns - fFreq;
  uint8_t flag = static_cast<uint8_t>(0x08 * (fSymbol >= 0x40));

  for (; c != m_minContext; c = Suffix(c)) {
    unsigned ns1 = c->numStats;
    uint32_t cf, sf;
    if (ns1 != 0) {
      if ((ns1 & 1) != 0) {
        unsigned oldNU = (ns1 + 1) >> 1;
        unsigned i = U2I(oldNU);
        if (i != U2I(oldNU + 1)) {
          void* ptr = AllocUnits(i + 1);
          if (!ptr) {
            RestoreModel(c, fSuccessor);
            return;
          }
          void* oldPtr = Stats(c);
          memcpy(ptr, oldPtr, PpmdUnitsToBytes(oldNU));
          InsertNode(oldPtr, i);
          c->stats = Ref(ptr);
        }
      }
      c->summFreq = static_cast<uint16_t>(c->summFreq + (3 * ns1 + 1 < ns));
    } else {
      State* s2 = static_cast<State*>(AllocUnits(0));
      if (!s2) {
        RestoreModel(c, fSuccessor);
        return;
      }
      *s2 = *OneState(c);
      c->stats = Ref(s2);
      if (s2->freq < kMaxFreq / 4 - 1)
        s2->freq = static_cast<uint8_t>(s2->freq << 1);
      else
        s2->freq = kMaxFreq - 4;
      c->summFreq = static_cast<uint16_t>(s2->freq + m_initEsc + (ns > 2));
    }
    cf = 2 * fFreq * (c->summFreq + 6);
    sf = static_cast<uint32_t>(s0) + c->summFreq;
    if (cf < 6 * sf) {
      cf = 1 + (cf > sf) + (cf >= 4 * sf);
      c->summFreq = static_cast<uint16_t>(c->summFreq + 4);
    } else {
      cf = 4 + (cf > 9 * sf) + (cf > 12 * sf) + (cf > 15 * sf);
      c->summFreq = static_cast<uint16_t>(c->summFreq + cf);
    }
    State* s2 = Stats(c) + ns1 + 1;
    SetSuccessor(s2, successor);
    s2->symbol = fSymbol;
    s2->freq = static_cast<uint8_t>(cf);
    c->flags |= flag;
    c->numStats = static_cast<uint8_t>(ns1 + 1);
  }
  m_maxContext = m_minContext = Ctx(fSuccessor);
}

void PpmdModel::Rescale() {
  State* stats = Stats(m_minContext);
  State* s = m_foundState;
  if (s != stats) {
    State tmp = *s;
    do {
      s[0] = s[-1];
    } while (--s != stats);
    *s = tmp;
  }
  unsigned escFreq = m_minContext->summFreq - s->freq;
  s->freq += 4;
  unsigned adder = (m_orderFall != 0 || m_restoreMethod > kFreeze);
  s->freq = static_cast<uint8_t>((s->freq + adder) >> 1);
  unsigned sumFreq = s->freq;

  unsigned i = m_minContext->numStats;
  do {
    escFreq -= (++s)->freq;
    s->freq = static_cast<uint8_t>((s->freq + adder) >> 1);
    sumFreq += s->freq;
    if (s[0].freq > s[-1].freq) {
      State* s1 = s;
      State tmp = *s1;
      do {
        s1[0] = s1[-1];
      } while (--s1 != stats && tmp.freq > s1[-1].freq);
      *s1 = tmp;
    }
  } while (--i);

  if (s->freq == 0) {
    unsigned numStats = m_minContext->numStats;
    do {
      i++;
    } while ((--s)->freq == 0);
    escFreq += i;
    m_minContext->numStats = static_cast<uint8_t>(m_minContext->numStats - i);
    if (m_minContext->numStats == 0) {
      State tmp = *stats;
      tmp.freq = static_cast<uint8_t>((2 * tmp.freq + escFreq - 1) / escFreq);
      if (tmp.freq > kMaxFreq / 3) tmp.freq = kMaxFreq / 3;
      InsertNode(stats, U2I((numStats + 2) >> 1));
      m_minContext->flags = static_cast<uint8_t>((m_minContext->flags & 0x10) + 0x08 * (tmp.symbol >= 0x40));
      m_foundState = OneState(m_minContext);
      *m_foundState = tmp;
      return;
    }
    unsigned n0 = (numStats + 2) >> 1;
    unsigned n1 = (m_minContext->numStats + 2) >> 1;
    if (n0 != n1) m_minContext->stats = Ref(ShrinkUnits(stats, n0, n1));
    m_minContext->flags &= ~0x08;
    s = Stats(m_minContext);
    m_minContext->flags |= 0x08 * (s->symbol >= 0x40);
    i = m_minContext->numStats;
    do {
      m_minContext->flags |= 0x08 * ((++s)->symbol >= 0x40);
    } while (--i);
  }
  m_minContext->summFreq = static_cast<uint16_t>(sumFreq + escFreq - (escFreq >> 1));
  m_minContext->flags |= 0x04;
  m_foundState = Stats(m_minContext);
}

void PpmdModel::NextContext() {
  Context* c = Ctx(Successor(m_foundState));
  if (m_orderFall == 0 && reinterpret_cast<uint8_t*>(c) >= m_unitsStart) {
    m_minContext = m_maxContext = c;
  } else {
    UpdateModel();
    m_minContext = m_maxContext;
  }
}

void PpmdModel::Update1() {
  State* s = m_foundState;
  s->freq += 4;
  m_minContext->summFreq += 4;
  if (s[0].freq > s[-1].freq) {
    State t = s[0];
    s[0] = s[-1];
    s[-1] = t;
    m_foundState = --s;
    if (s->freq > kMaxFreq) Rescale();
  }
  NextContext();
}

void PpmdModel::Update1_0() {
  m_prevSuccess = (2 * m_foundState->freq >= m_minContext->summFreq);
  m_runLength += m_prevSuccess;
  m_minContext->summFreq += 4;
  if ((m_foundState->freq += 4) > kMaxFreq) Rescale();
  NextContext();
}

void PpmdModel::UpdateBin() {
  m_foundState->freq = static_cast<uint8_t>(m_foundState->freq + (m_foundState->freq < 196));
  m_prevSuccess = 1;
  m_runLength++;
  NextContext();
}

void PpmdModel::Update2() {
  m_minContext->summFreq += 4;
  if ((m_foundState->freq += 4) > kMaxFreq) Rescale();
  m_runLength = m_initRL;
  UpdateModel();
  m_minContext = m_maxContext;
}

PpmdModel::See* PpmdModel::MakeEscFreq(unsigned numMasked, uint32_t* escFreq) {
  Context* mc = m_minContext;
  if (mc->numStats != 0xFF) {
    See* see = m_see[m_ns2Indx[static_cast<size_t>(mc->numStats) + 2] - 3] +
               (mc->summFreq > 11 * (static_cast<unsigned>(mc->numStats) + 1)) +
               2 * static_cast<unsigned>(2 * static_cast<unsigned>(mc->numStats) <
                                         static_cast<unsigned>(Suffix(mc)->numStats) + numMasked) +
               mc->flags;
    unsigned r = see->summ >> see->shift;
    see->summ = static_cast<uint16_t>(see->summ - r);
    *escFreq = r + (r == 0);
    return see;
  }
  *escFreq = 1;
  return &m_dummySee;
}

uint16_t* PpmdModel::BinSumm() {
  Context* mc = m_minContext;
  return &m_binSumm[m_ns2Indx[static_cast<size_t>(OneState(mc)->freq) - 1]]
                   [m_ns2BSIndx[Suffix(mc)->numStats] + m_prevSuccess + mc->flags + ((m_runLength >> 26) & 0x20)];
}

void PpmdModel::SeeUpdate(See* s) {
  if (s->shift < kPeriodBits && --s->count == 0) {
    s->summ = static_cast<uint16_t>(s->summ << 1);
    s->count = static_cast<uint8_t>(3 << s->shift++);
  }
}
