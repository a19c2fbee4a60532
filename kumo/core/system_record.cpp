#include "kumo/core/system_record.h"

#include <new>

namespace kumo {

SystemRecord& System() {
  static SystemRecord record;
  return record;
}

void ResetSystemRecordForWindowStep() {
  SystemRecord& record = System();
  const SystemSettings settings = record.settings;
  const SystemFacts facts = record.facts;
  const int initialising = record.initialising;
  const int comReady = record.comReady;
  record.~SystemRecord();
  new (&record) SystemRecord();
  record.settings = settings;
  record.facts = facts;
  record.initialising = initialising;
  record.comReady = comReady;
}

}  // namespace kumo
