#pragma once
// What a run may change, asked once per change by every removal primitive and by the restore.
// One policy object a run, chosen once (removal/policies.h): a live run lets everything
// through; a preview changes nothing, reports each item as found and counts it as gone for the
// later steps; a backup keeps each item first, and holds it back as failed when it cannot.
#include <windows.h>

#include <string>

#include "engine/core/cleanup_context.h"

struct OpenedEntry;

// Whether the policy itself reports the item it holds back (found in a preview, failed when
// its backup cannot be written), or the caller's removal stays silent about it.
enum class Reporting { Reported, Quiet };
// What becomes of a value: deleted, or rewritten with part of its data.
enum class ValueChange { Delete, Rewrite };

// What the policy says before a change.
enum class GateSays {
  Go,    // make the change
  Gone,  // a preview counts it as deleted by an earlier step: nothing to do or report
  Held,  // dealt with: found in a preview, or kept in place because its backup failed
};

class ChangePolicy {
 public:
  virtual ~ChangePolicy() = default;

  // True when the run changes nothing at all (a preview, a restore's look): it starts no
  // program, asks no client to shut down and makes nothing.
  virtual bool ChangesNothing() const = 0;

  // What a preview counts as deleted by an earlier step; always false in a run that changes.
  virtual bool IsKeyGone(HKEY root, const std::wstring& subKey) const = 0;
  virtual bool IsPathGone(const std::wstring& path) const = 0;

  // Before the key tree `subKey` under the predefined `root` (opened by the caller as `key`)
  // is deleted.
  virtual GateSays BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting reporting) = 0;
  // Before the value `name` of `key` is deleted or rewritten.
  virtual GateSays BeforeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                               ValueChange change, Reporting reporting) = 0;
  // Before operations are taken out of the queue value `name` (the file operations pending
  // for the next start of Windows): `taken` is their REG_MULTI_SZ data, all a backup keeps of
  // the value, so that a restore adds them back to the queue as it is then.
  virtual GateSays BeforeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                                    const std::u16string& taken, ValueChange change) = 0;

  // Deletes the opened entry and reports the outcome (a backup keeps it first; a preview
  // reports it as found; an entry a preview counts as gone is passed over).
  virtual Outcome Delete(const OpenedEntry& entry) = 0;

  // Reports a change that was made, or in a run that changes nothing would be: "OK", or
  // "found" (a restore reports what it puts back so).
  virtual void ReportDone(LogKind kind, const std::string& text) = 0;

  // Why no backup could be made; empty while none was refused (and in every other policy).
  virtual std::wstring Refusal() const { return std::wstring(); }
};
