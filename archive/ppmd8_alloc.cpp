// PPMd variant I revision 1: the sub-allocator. Blocks of 12-byte units in
// 38 size classes; free blocks are glued together when a class runs dry.
#include <string.h>

#include "archive/ppmd8_model.h"

namespace {

const uint32_t kEmptyNode = 0xFFFFFFFFu;

}  // namespace

void PpmdModel::InsertNode(void* node, unsigned indx) {
  Node* n = static_cast<Node*>(node);
  n->stamp = kEmptyNode;
  n->next = m_freeList[indx];
  n->nu = I2U(indx);
  m_freeList[indx] = Ref(node);
  m_stamps[indx]++;
}

void* PpmdModel::RemoveNode(unsigned indx) {
  Node* n = reinterpret_cast<Node*>(Ptr(m_freeList[indx]));
  m_freeList[indx] = n->next;
  m_stamps[indx]--;
  return n;
}

void PpmdModel::SplitBlock(void* ptr, unsigned oldIndx, unsigned newIndx) {
  unsigned nu = I2U(oldIndx) - I2U(newIndx);
  uint8_t* p = static_cast<uint8_t*>(ptr) + PpmdUnitsToBytes(I2U(newIndx));
  unsigned i = U2I(nu);
  if (I2U(i) != nu) {
    unsigned k = I2U(--i);
    InsertNode(p + PpmdUnitsToBytes(k), nu - k - 1);
  }
  InsertNode(p, i);
}

void PpmdModel::GlueFreeBlocks() {
  uint32_t head = 0;
  uint32_t* prev = &head;
  m_glueCount = 1u << 13;
  memset(m_stamps, 0, sizeof(m_stamps));
  // a guard where the free gap begins; the top unit is always the root context
  if (m_loUnit != m_hiUnit) reinterpret_cast<Node*>(m_loUnit)->stamp = 0;

  for (unsigned i = 0; i < kPpmdNumIndexes; ++i) {
    uint32_t next = m_freeList[i];
    m_freeList[i] = 0;
    while (next != 0) {
      Node* node = reinterpret_cast<Node*>(Ptr(next));
      uint32_t nu = node->nu;
      *prev = next;
      next = node->next;
      if (nu != 0) {
        prev = &node->next;
        Node* node2;
        while ((node2 = node + nu)->stamp == kEmptyNode) {
          nu += node2->nu;
          node2->nu = 0;
          node->nu = nu;
        }
      }
    }
  }
  *prev = 0;

  while (head != 0) {
    Node* node = reinterpret_cast<Node*>(Ptr(head));
    uint32_t nu = node->nu;
    head = node->next;
    if (nu == 0) continue;
    for (; nu > 128; nu -= 128, node += 128) InsertNode(node, kPpmdNumIndexes - 1);
    unsigned i = U2I(nu);
    if (I2U(i) != nu) {
      unsigned k = I2U(--i);
      InsertNode(node + k, nu - k - 1);
    }
    InsertNode(node, i);
  }
}

void* PpmdModel::AllocUnitsRare(unsigned indx) {
  if (m_glueCount == 0) {
    GlueFreeBlocks();
    if (m_freeList[indx] != 0) return RemoveNode(indx);
  }
  unsigned i = indx;
  do {
    if (++i == kPpmdNumIndexes) {
      uint32_t numBytes = PpmdUnitsToBytes(I2U(indx));
      m_glueCount--;
      if (static_cast<uint32_t>(m_unitsStart - m_text) > numBytes) return m_unitsStart -= numBytes;
      return nullptr;
    }
  } while (m_freeList[i] == 0);
  void* r = RemoveNode(i);
  SplitBlock(r, i, indx);
  return r;
}

void* PpmdModel::AllocUnits(unsigned indx) {
  if (m_freeList[indx] != 0) return RemoveNode(indx);
  uint32_t numBytes = PpmdUnitsToBytes(I2U(indx));
  if (numBytes <= static_cast<uint32_t>(m_hiUnit - m_loUnit)) {
    void* r = m_loUnit;
    m_loUnit += numBytes;
    return r;
  }
  return AllocUnitsRare(indx);
}

void* PpmdModel::ShrinkUnits(void* oldPtr, unsigned oldNU, unsigned newNU) {
  unsigned i0 = U2I(oldNU);
  unsigned i1 = U2I(newNU);
  if (i0 == i1) return oldPtr;
  if (m_freeList[i1] != 0) {
    void* ptr = RemoveNode(i1);
    memmove(ptr, oldPtr, PpmdUnitsToBytes(newNU));
    InsertNode(oldPtr, i0);
    return ptr;
  }
  SplitBlock(oldPtr, i0, i1);
  return oldPtr;
}

void PpmdModel::FreeUnits(void* ptr, unsigned nu) { InsertNode(ptr, U2I(nu)); }

void PpmdModel::SpecialFreeUnit(void* ptr) {
  if (static_cast<uint8_t*>(ptr) != m_unitsStart)
    InsertNode(ptr, 0);
  else
    m_unitsStart += kPpmdUnitSize;
}

void* PpmdModel::MoveUnitsUp(void* oldPtr, unsigned nu) {
  unsigned indx = U2I(nu);
  if (static_cast<uint8_t*>(oldPtr) > m_unitsStart + 16 * 1024 || Ref(oldPtr) > m_freeList[indx]) return oldPtr;
  void* ptr = RemoveNode(indx);
  memmove(ptr, oldPtr, PpmdUnitsToBytes(nu));
  if (static_cast<uint8_t*>(oldPtr) != m_unitsStart)
    InsertNode(oldPtr, indx);
  else
    m_unitsStart += PpmdUnitsToBytes(I2U(indx));
  return ptr;
}

void PpmdModel::ExpandTextArea() {
  uint32_t count[kPpmdNumIndexes];
  memset(count, 0, sizeof(count));
  if (m_loUnit != m_hiUnit) reinterpret_cast<Node*>(m_loUnit)->stamp = 0;
  Node* node = reinterpret_cast<Node*>(m_unitsStart);
  for (; node->stamp == kEmptyNode; node += node->nu) {
    node->stamp = 0;
    count[U2I(node->nu)]++;
  }
  m_unitsStart = reinterpret_cast<uint8_t*>(node);
  for (unsigned i = 0; i < kPpmdNumIndexes; ++i) {
    uint32_t* next = &m_freeList[i];
    while (count[i] != 0) {
      Node* n = reinterpret_cast<Node*>(Ptr(*next));
      while (n->stamp == 0) {
        *next = n->next;
        n = reinterpret_cast<Node*>(Ptr(*next));
        m_stamps[i]--;
        if (--count[i] == 0) break;
      }
      next = &n->next;
    }
  }
}

uint32_t PpmdModel::GetUsedMemory() const {
  uint32_t v = 0;
  for (unsigned i = 0; i < kPpmdNumIndexes; ++i) v += m_stamps[i] * I2U(i);
  return m_size - static_cast<uint32_t>(m_hiUnit - m_loUnit) - static_cast<uint32_t>(m_unitsStart - m_text) - PpmdUnitsToBytes(v);
}

