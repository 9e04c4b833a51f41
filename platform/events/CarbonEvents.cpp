#include "platform/events/CarbonEvents.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

struct OpaqueEventRef {
  uint32_t eventClass = 0;
  uint32_t kind = 0;
  struct Param {
    EventParamType type;
    std::vector<uint8_t> bytes;
  };
  std::map<EventParamName, Param> params;
};

struct OpaqueEventHandlerRef {
  EventTargetRef target = nullptr;
  EventHandlerUPP proc = nullptr;
  std::vector<EventTypeSpec> types;
  void* userData = nullptr;
  bool base = false;     // asked after the installed handlers
  bool removed = false;  // removed while an event was on its way

  bool Wants(EventRef event) const {
    return std::any_of(types.begin(), types.end(), [&](const EventTypeSpec& t) {
      return t.eventClass == event->eventClass && t.eventKind == event->kind;
    });
  }
};

struct OpaqueEventTargetRef {
  EventTargetRef parent = nullptr;
  // Newest last; shared so that an event on its way keeps the handlers it will call.
  std::vector<std::shared_ptr<OpaqueEventHandlerRef>> handlers;
  vantiro::StandardHandler standard;
};

// One step of an event's way through its chain.
struct OpaqueEventHandlerCallRef {
  struct Stop {
    std::shared_ptr<OpaqueEventHandlerRef> handler;  // or the standard handling of `target`
    EventTargetRef target = nullptr;
  };
  std::shared_ptr<std::vector<Stop>> stops;
  std::size_t next = 0;
  bool calledNext = false;
};

namespace {

OSStatus RunFrom(const std::shared_ptr<std::vector<OpaqueEventHandlerCallRef::Stop>>& stops,
                 std::size_t from, EventRef event) {
  for (std::size_t i = from; i < stops->size(); ++i) {
    const auto& stop = (*stops)[i];
    OSStatus result = eventNotHandledErr;
    if (stop.handler) {
      if (stop.handler->removed) continue;
      OpaqueEventHandlerCallRef call{stops, i + 1, false};
      result = stop.handler->proc(&call, event, stop.handler->userData);
      if (call.calledNext) return result;
    } else if (stop.target->standard) {
      result = stop.target->standard(event);
    }
    if (result != eventNotHandledErr) return result;
  }
  return eventNotHandledErr;
}

EventHandlerRef Install(EventTargetRef target, EventHandlerUPP proc, ItemCount numTypes,
                        const EventTypeSpec* list, void* userData, bool base) {
  auto handler = std::make_shared<OpaqueEventHandlerRef>();
  handler->target = target;
  handler->proc = proc;
  handler->types.assign(list, list + numTypes);
  handler->userData = userData;
  handler->base = base;
  target->handlers.push_back(handler);
  return handler.get();
}

}  // namespace

OSStatus CreateEvent(CFAllocatorRef, uint32_t inClassID, uint32_t kind, EventTime, uint32_t,
                     EventRef* outEvent) {
  if (outEvent == nullptr) return paramErr;
  *outEvent = new OpaqueEventRef{inClassID, kind, {}};
  return noErr;
}

void ReleaseEvent(EventRef event) {
  delete event;
}

uint32_t GetEventClass(EventRef event) { return event == nullptr ? 0 : event->eventClass; }
uint32_t GetEventKind(EventRef event) { return event == nullptr ? 0 : event->kind; }

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data) {
  if (event == nullptr || (data == nullptr && size > 0)) return paramErr;
  const auto* bytes = static_cast<const uint8_t*>(data);
  event->params[name] = {type, std::vector<uint8_t>(bytes, bytes + size)};
  return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData) {
  if (event == nullptr) return paramErr;
  const auto it = event->params.find(name);
  if (it == event->params.end()) return eventParameterNotFoundErr;
  const auto& param = it->second;
  if (desiredType != typeWildCard && desiredType != param.type) return errAECoercionFail;
  if (outActualType != nullptr) *outActualType = param.type;
  if (outActualSize != nullptr) *outActualSize = param.bytes.size();
  if (outData != nullptr && !param.bytes.empty())
    std::memcpy(outData, param.bytes.data(), std::min<std::size_t>(bufferSize, param.bytes.size()));
  return noErr;
}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef) {
  if (target == nullptr || handler == nullptr || (list == nullptr && numTypes > 0)) return paramErr;
  EventHandlerRef ref = Install(target, handler, numTypes, list, userData, false);
  if (outRef != nullptr) *outRef = ref;
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event) {
  if (callRef == nullptr || event == nullptr) return paramErr;
  callRef->calledNext = true;
  return RunFrom(callRef->stops, callRef->next, event);
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target) {
  if (event == nullptr || target == nullptr) return paramErr;
  auto stops = std::make_shared<std::vector<OpaqueEventHandlerCallRef::Stop>>();
  for (EventTargetRef t = target; t != nullptr; t = t->parent) {
    for (bool base : {false, true})
      for (auto it = t->handlers.rbegin(); it != t->handlers.rend(); ++it)
        if ((*it)->base == base && (*it)->Wants(event)) stops->push_back({*it, t});
    stops->push_back({nullptr, t});
  }
  return RunFrom(stops, 0, event);
}

EventTargetRef GetApplicationEventTarget(void) {
  static auto* application = new OpaqueEventTargetRef();
  return application;
}

namespace vantiro {

EventTargetRef NewEventTarget(EventTargetRef parent) {
  auto* target = new OpaqueEventTargetRef();
  target->parent = parent;
  return target;
}

void DisposeEventTarget(EventTargetRef target) {
  if (target == nullptr) return;
  for (auto& h : target->handlers) h->removed = true;
  delete target;
}

void SetStandardHandler(EventTargetRef target, StandardHandler handler) {
  if (target != nullptr) target->standard = std::move(handler);
}

EventHandlerRef InstallBaseHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                                   const EventTypeSpec* list, void* userData) {
  if (target == nullptr || handler == nullptr) return nullptr;
  return Install(target, handler, numTypes, list, userData, true);
}

}  // namespace vantiro
