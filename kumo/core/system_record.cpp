#include "kumo/core/system_record.h"

namespace kumo {

SystemRecord& System() {
  static SystemRecord record;
  return record;
}

}  // namespace kumo
