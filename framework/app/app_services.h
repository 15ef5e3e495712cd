// The product's scheduled services (the update check and the configuration
// archiving) sit above the framework, which runs them and opens their
// dialogs without linking them: the program's entry hands them over before
// start-up. A member left null is a service the program does not have, and
// the framework goes on without it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/store/record_forms.h"

struct AppServices {
  // The due tests, at start-up and on every 24th tick of the hidden
  // application window's hourly timer: the update check first.
  void (*checkForUpdateIfDue)() noexcept = nullptr;
  void (*archiveIfDue)() noexcept = nullptr;
  // A message to the hidden application window that belongs to a service (a
  // worker's report of its end): true when the service handled it.
  bool (*onAppWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam) noexcept = nullptr;
  // The folder of the scheduled archives, which a restore spares; empty when
  // there is none.
  void (*scheduledArchiveFolder)(char* out, std::size_t capacity) noexcept = nullptr;
  // The file name that the backup's and the restore's dialogs propose; empty
  // when there is none.
  void (*proposedArchiveName)(char* out, std::size_t capacity) noexcept = nullptr;
  // The services' settings dialogs, which the product information dialog's
  // "Archive..." and "Update..." buttons run modally over owner with
  // parameter. Each opens its dialog from its own resources and returns the
  // dialog's result.
  INT_PTR (*openArchiveDialog)(HWND owner, LPARAM parameter) noexcept = nullptr;
  INT_PTR (*openUpdateDialog)(HWND owner, LPARAM parameter) noexcept = nullptr;
  // The forms of the records that the services and the product keep in the
  // data folder: start-up puts a temporary of such a record in its place
  // when the record is missing and the temporary reads whole in its form.
  const RecordForm* recordForms = nullptr;
  std::size_t recordFormCount = 0;
};
void SetAppServices(const AppServices& services) noexcept;

// What the framework asks of them; each does nothing without its service.
void RunServiceDueTests() noexcept;
[[nodiscard]] bool OnServiceMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
void GetServiceArchiveFolder(char* out, std::size_t capacity) noexcept;
void GetProposedArchiveName(char* out, std::size_t capacity) noexcept;
// The form of the services' or the product's record file recordFileName
// ("<name>.<extension>"); null when none was given.
[[nodiscard]] const RecordForm* FindServiceRecordForm(const char* recordFileName, const char* extension) noexcept;
// The services' dialogs that the product information dialog offers: a
// button whose service has no dialog stays disabled.
enum class ServiceDialog { kArchive, kUpdate };
[[nodiscard]] bool HasServiceDialog(ServiceDialog dialog) noexcept;
void OpenServiceDialog(ServiceDialog dialog, HWND owner, LPARAM parameter) noexcept;
