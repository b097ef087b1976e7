#include "host/process.h"
#include "host/text.h"

namespace moxun {

std::string fatal_error_text(int code) {
  std::string description = code == 9 ? "下标超出了数组或表的范围。" : "程序内部错误。";
  return "错误 " + int_to_text(code) + "：" + description;
}

std::string fatal_allocation_text(std::int64_t bytes) {
  return "内存不足：申请 " + int_to_text(bytes) + " 字节失败。";
}

}  // namespace moxun
