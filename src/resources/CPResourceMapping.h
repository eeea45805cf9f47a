// Matching a record of one set with the record of the same name in another
// set of the same kind (an account's categories and the user file's): the two
// sets have independent IDs, names tie them together.
#ifndef VYX_RESOURCES_CPRESOURCEMAPPING_H_
#define VYX_RESOURCES_CPRESOURCEMAPPING_H_

#include <functional>

#include "resources/CPResourceSet_T.h"

// The ID in `target` of the resource named as `id` is in `source`:
// - 0 for ID 0 or an ID `source` does not have;
// - the ID of the target's namesake (names compared as the target's storage
//   does), whose record is overwritten by the source's when `update` is set;
// - without a namesake, with `create`, a new resource of that name holding the
//   source's record (passed through `prepare` first, when given);
// - otherwise 0: the source's ID means nothing in the target.
template <typename T>
CPResID CPMapResourceByName(CPResourceSet_T<T>& source, CPResourceSet_T<T>& target, CPResID id,
                            bool create, bool update,
                            const std::function<void(T&)>& prepare = {}) {
  if (id == 0 || !source.ResourceExists(id)) return 0;
  T record;
  source.GetResource(id, &record);
  Str255 name;
  source.GetResourceName(id, name);
  if (target.ResourceExists(name)) {
    CPResID found = target.GetResourceID(name);
    if (update) target.SetResource(found, record);
    return found;
  }
  if (!create) return 0;
  if (prepare) prepare(record);
  CPResID added = target.GetUniqueID();
  target.AddResource(added, name, record);
  return added;
}

#endif  // VYX_RESOURCES_CPRESOURCEMAPPING_H_
