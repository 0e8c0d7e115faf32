/**
 * @file zelko_ptz_c.h
 * The library's C interface, for C hosts and for any language that loads a shared library
 * through a foreign-function interface (C#, Go, Rust, Node, Python's ctypes). It drives the
 * same camera object as the C++ interface: the same requests, bytes, result codes and error
 * lines. Compiles as C89 and later and as C++.
 *
 * No function lets an exception or a signal of the library's own out: every failure is a result
 * code. A handle must not be used by two threads at once; separate handles are independent.
 * A thread cancelled during a call (pthread_cancel) is cancelled after the call returns.
 */
#ifndef ZELKO_PTZ_C_H
#define ZELKO_PTZ_C_H

#include <stddef.h>
#include <stdint.h>

#include "../utils/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/** @name Result codes
 * 0, 1, 2 and 10 are the C++ methods' own; the others are the C interface's. */
/**@{*/
#define ZELKO_PTZ_OK 0              /**< success */
#define ZELKO_PTZ_TRANSFER_FAILED 1 /**< the HTTP transfer did not complete */
#define ZELKO_PTZ_NOT_XML 2         /**< the answer is not well-formed XML */
#define ZELKO_PTZ_NOT_NUMBERS 3     /**< a position answer's texts are not numbers, or too big */
#define ZELKO_PTZ_TIMED_OUT 5       /**< zelko_ptz_wait_for_stop(): still moving at the time-out */
#define ZELKO_PTZ_CANCELLED 6       /**< cancelled on an engine, or a blocking call given up */
#define ZELKO_PTZ_REJECTED 10       /**< not "OK", or an argument or option refused */
#define ZELKO_PTZ_NULL_ARGUMENT 20  /**< a NULL handle or pointer; nothing was sent or written */
#define ZELKO_PTZ_OUT_OF_MEMORY 21  /**< memory ran out; nothing was written */
#define ZELKO_PTZ_LIST_TOO_SMALL 22 /**< more presets than the array holds; see the count */
#define ZELKO_PTZ_UNEXPECTED 23     /**< something else was thrown, such as by an error sink */
/**@}*/

/** @name Auxiliary devices and their states (Ptz::PtzAux, Ptz::PtzStatus) */
/**@{*/
#define ZELKO_PTZ_AUX_LIGHT INT32_C(0)  /**< "LIGHT" */
#define ZELKO_PTZ_AUX_WIPER INT32_C(1)  /**< "WIPER" */
#define ZELKO_PTZ_AUX_FAN INT32_C(2)    /**< "FAN" */
#define ZELKO_PTZ_STATUS_ON INT32_C(0)  /**< "on" */
#define ZELKO_PTZ_STATUS_OFF INT32_C(1) /**< "off" */
/**@}*/

/** @name Bits of zelko_ptz_position::present, one per value */
/**@{*/
#define ZELKO_PTZ_POSITION_ELEVATION UINT32_C(0x01)        /**< elevation */
#define ZELKO_PTZ_POSITION_AZIMUTH UINT32_C(0x02)          /**< azimuth */
#define ZELKO_PTZ_POSITION_ZOOM UINT32_C(0x04)             /**< zoom */
#define ZELKO_PTZ_POSITION_FOCUS UINT32_C(0x08)            /**< focus */
#define ZELKO_PTZ_POSITION_FOCAL_LENGTH UINT32_C(0x10)     /**< focal_length */
#define ZELKO_PTZ_POSITION_HORIZONTAL_SPEED UINT32_C(0x20) /**< horizontal_speed */
#define ZELKO_PTZ_POSITION_VERTICAL_SPEED UINT32_C(0x40)   /**< vertical_speed */
/**@}*/

/** @name Bits of zelko_ptz_capabilities::reported, one per value the camera reported */
/**@{*/
#define ZELKO_PTZ_CAP_AZIMUTH_RANGE UINT32_C(0x001)          /**< azimuth_min, azimuth_max */
#define ZELKO_PTZ_CAP_ELEVATION_RANGE UINT32_C(0x002)        /**< elevation_min, _max */
#define ZELKO_PTZ_CAP_ZOOM_RANGE UINT32_C(0x004)             /**< zoom_min, zoom_max */
#define ZELKO_PTZ_CAP_PAN_RANGE UINT32_C(0x008)              /**< pan_min, pan_max */
#define ZELKO_PTZ_CAP_TILT_RANGE UINT32_C(0x010)             /**< tilt_min, tilt_max */
#define ZELKO_PTZ_CAP_ZOOM_SPEED_RANGE UINT32_C(0x020)       /**< zoom_speed_min, _max */
#define ZELKO_PTZ_CAP_MAX_PRESETS UINT32_C(0x040)            /**< max_presets */
#define ZELKO_PTZ_CAP_MAX_PRESET_NAME_LENGTH UINT32_C(0x080) /**< max_preset_name_length */
#define ZELKO_PTZ_CAP_POSITION3D UINT32_C(0x100)             /**< supports_position3d */
#define ZELKO_PTZ_CAP_MAX_PATROLS UINT32_C(0x200)            /**< max_patrols (_ex) */
#define ZELKO_PTZ_CAP_MAX_PATTERNS UINT32_C(0x400)           /**< max_patterns (_ex) */
#define ZELKO_PTZ_CAP_PARK_SECONDS UINT32_C(0x800)           /**< park_seconds_min, _max (_ex) */
/**@}*/

/** How many special presets zelko_ptz_capabilities holds; a longer list is cut. */
#define ZELKO_PTZ_MAX_SPECIAL_PRESETS 256
/** How many auxiliaries zelko_ptz_capabilities holds; a longer list is cut. */
#define ZELKO_PTZ_MAX_AUX_TYPES 16
/** The size of one name in zelko_ptz_capabilities::aux_types, its terminating zero included. */
#define ZELKO_PTZ_AUX_TYPE_SIZE 32

/** How many park actions zelko_ptz_capabilities_ex holds; a longer list is cut. */
#define ZELKO_PTZ_MAX_PARK_ACTION_KINDS 16
/** The size of one name in zelko_ptz_capabilities_ex::park_action_kinds, its zero included. */
#define ZELKO_PTZ_PARK_ACTION_KIND_SIZE 32

/** The size of zelko_ptz_preset::name, its terminating zero included. */
#define ZELKO_PTZ_PRESET_NAME_SIZE 128

/** One camera; made by zelko_ptz_camera_new(), released by zelko_ptz_camera_free(). */
typedef struct zelko_ptz_camera zelko_ptz_camera;

/** The camera's absolute position, laid out as Ptz::PtzAbsoluteEx. */
typedef struct zelko_ptz_absolute_ex {
    float elevation;       /**< "elevation" */
    float azimuth;         /**< "azimuth" */
    float absoluteZoom;    /**< "absoluteZoom" */
    int32_t focus;         /**< "focus" */
    int32_t focalLen;      /**< "focalLen" */
    float horizontalSpeed; /**< "horizontalSpeed" */
    float verticalSpeed;   /**< "verticalSpeed" */
} zelko_ptz_absolute_ex;

/**
 * A position as the camera reported it, or the values to send it, laid out as Ptz::PtzPosition:
 * degrees and zoom ratio. `present` holds the ZELKO_PTZ_POSITION_... bits of the values that
 * hold something.
 */
typedef struct zelko_ptz_position {
    float elevation;        /**< degrees */
    float azimuth;          /**< degrees, 0 to 360 */
    float zoom;             /**< zoom ratio, 1 at the widest */
    int32_t focus;          /**< the camera's focus value */
    int32_t focal_length;   /**< the camera's focal length value */
    float horizontal_speed; /**< the camera's pan speed value */
    float vertical_speed;   /**< the camera's tilt speed value */
    uint32_t present;       /**< ZELKO_PTZ_POSITION_... bits */
} zelko_ptz_position;

/** What a camera says it can do, as Ptz::PtzCapabilities; `reported` says what it reported. */
typedef struct zelko_ptz_capabilities {
    uint32_t reported;              /**< ZELKO_PTZ_CAP_... bits */
    float azimuth_min;              /**< degrees */
    float azimuth_max;              /**< degrees */
    float elevation_min;            /**< degrees */
    float elevation_max;            /**< degrees */
    float zoom_min;                 /**< zoom ratio */
    float zoom_max;                 /**< zoom ratio */
    int32_t pan_min;                /**< continuous pan value */
    int32_t pan_max;                /**< continuous pan value */
    int32_t tilt_min;               /**< continuous tilt value */
    int32_t tilt_max;               /**< continuous tilt value */
    int32_t zoom_speed_min;         /**< continuous zoom value */
    int32_t zoom_speed_max;         /**< continuous zoom value */
    int32_t max_presets;            /**< how many presets it keeps */
    int32_t max_preset_name_length; /**< the longest preset name it takes */
    int32_t supports_position3d;    /**< 1: click-to-center and box zoom; 0: not */
    size_t special_preset_count;    /**< how many of special_presets are filled */
    /** Preset numbers that run a function of the camera, in its order. */
    int32_t special_presets[ZELKO_PTZ_MAX_SPECIAL_PRESETS];
    size_t aux_type_count; /**< how many of aux_types are filled */
    /** Its auxiliaries, "LIGHT", "WIPER", ..., each zero-terminated. */
    char aux_types[ZELKO_PTZ_MAX_AUX_TYPES][ZELKO_PTZ_AUX_TYPE_SIZE];
} zelko_ptz_capabilities;

/**
 * What a camera says it can do with what the console functions need, as Ptz::PtzCapabilitiesEx:
 * `base.reported` holds the bits of both.
 */
typedef struct zelko_ptz_capabilities_ex {
    zelko_ptz_capabilities base;   /**< what zelko_ptz_get_capabilities() reads */
    int32_t max_patrols;           /**< how many patrols (preset tours) it keeps */
    int32_t max_patterns;          /**< how many patterns (recorded moves) it keeps */
    int32_t park_seconds_min;      /**< the park action's shortest time, in seconds */
    int32_t park_seconds_max;      /**< the park action's longest time, in seconds */
    size_t park_action_kind_count; /**< how many of park_action_kinds are filled */
    /** Its park actions, "preset", "patrol", "autoscan", ..., each zero-terminated. */
    char park_action_kinds[ZELKO_PTZ_MAX_PARK_ACTION_KINDS][ZELKO_PTZ_PARK_ACTION_KIND_SIZE];
} zelko_ptz_capabilities_ex;

/** One continuous-motion request, laid out as Ptz::PtzCtrl. */
typedef struct zelko_ptz_ctrl {
    int32_t pan;  /**< "pan" */
    int32_t tilt; /**< "tilt" */
    int32_t zoom; /**< "zoom" */
} zelko_ptz_ctrl;

/** A preset as the camera lists it. */
typedef struct zelko_ptz_preset {
    int32_t id;      /**< "id" */
    int32_t enabled; /**< 1 when "enabled" is "true", else 0 */
    /** "presetName", zero-terminated; a longer name is cut at a UTF-8 character boundary. */
    char name[ZELKO_PTZ_PRESET_NAME_SIZE];
} zelko_ptz_preset;

/** Receives the error lines instead of stderr, as Ptz::ErrorSink does. */
typedef void (*zelko_ptz_error_sink)(void* user, const char* operation, int code,
                                     const char* message);

/**
 * How a camera is reached, as Ptz::CameraOptions says. Fill it with zelko_ptz_options_init()
 * and then set the fields wanted.
 *
 * The rule that lets this struct grow: `size` is the size of the struct as the host was built,
 * which zelko_ptz_options_init() writes. New fields are only ever added at the end, and the
 * library reads only the fields that lie within `size`; the others keep their defaults. A host
 * built against an older header thus keeps working with a newer library.
 */
typedef struct zelko_ptz_options {
    size_t size;            /**< sizeof(zelko_ptz_options); set by zelko_ptz_options_init() */
    int32_t keep_session;   /**< 1: one kept connection and Digest challenge; default 0 */
    int32_t https;          /**< 1: https; default 0 */
    int32_t port;           /**< 1 to 65535; default 0, the scheme's own */
    int32_t channel;        /**< the PTZ channel, 1 or more; default 1 */
    const char* ca_file;    /**< with https: a PEM file of the CAs to trust; NULL: the system's */
    const char* pinned_key; /**< with https: "sha256//<base64>"; NULL: none */
    int32_t verify_peer;    /**< with https, 0 accepts any certificate; default 1 */
    zelko_ptz_error_sink error_sink; /**< NULL: error lines on stderr */
    void* error_sink_user;           /**< handed to error_sink */
    /** Since 1.2: with keep_session, the seconds nothing is sent after the camera refused the
        credentials, 0 to 86400; default 30 (Ptz::ZelkoPtzCameraIsapi::set_refusal_hold()). */
    double refusal_hold_seconds;
} zelko_ptz_options;

/** Fills `options` with the defaults of the two-argument constructor and sets its size. */
ZELKO_PTZ_API void zelko_ptz_options_init(zelko_ptz_options* options);

/**
 * A camera at `address` ("192.0.2.10", "cam.example", "[fd00::5]") with `userpwd`
 * ("name:password"); `options` may be NULL for the defaults. Nothing is sent. Returns NULL when
 * `address` or `userpwd` is NULL, refusal_hold_seconds is outside 0 to 86400, or memory ran
 * out. Other bad options, and an address or credentials that the C++ constructor's comment
 * names, are reported by every function later, as ZELKO_PTZ_REJECTED with one error line;
 * zelko_ptz_camera_error() says it at once.
 */
ZELKO_PTZ_API zelko_ptz_camera* zelko_ptz_camera_new(const char* address, const char* userpwd,
                                                     const zelko_ptz_options* options);

/** Releases a camera; NULL is ignored. */
ZELKO_PTZ_API void zelko_ptz_camera_free(zelko_ptz_camera* camera);

/**
 * The message of the line that every function on `camera` writes because of its address,
 * credentials or options ("Bad option port: 70000; it takes 1 to 65535, or 0 for the scheme's
 * own."), as Ptz::camera_error() says it; "" when it can send, and for NULL. Nothing is sent: a
 * host checks what its user typed before it keeps the camera. The text lives until the camera
 * is freed. Since 1.7.
 */
ZELKO_PTZ_API const char* zelko_ptz_camera_error(const zelko_ptz_camera* camera);

/** GET `path` (from "/"); 0 for any well-formed XML answer; 10 for a path neither empty nor
 * beginning with "/", or holding a space or a control byte, nothing sent. */
ZELKO_PTZ_API int zelko_ptz_get_info(zelko_ptz_camera* camera, const char* path);

/** Reads the position into `position`, which is written only on 0. */
ZELKO_PTZ_API int zelko_ptz_get_ptz_absoluteEx(zelko_ptz_camera* camera,
                                               zelko_ptz_absolute_ex* position);

/** Drives the camera to `position`. */
ZELKO_PTZ_API int zelko_ptz_set_ptz_absoluteEx(zelko_ptz_camera* camera,
                                               zelko_ptz_absolute_ex position);

/** Reads the position, then sends it back with absoluteZoom 1.0 and focus 29000. */
ZELKO_PTZ_API int zelko_ptz_reset_zoom(zelko_ptz_camera* camera);

/** Sends the camera to its home position. */
ZELKO_PTZ_API int zelko_ptz_reset_position(zelko_ptz_camera* camera);

/** Switches a device (ZELKO_PTZ_AUX_...) on or off (ZELKO_PTZ_STATUS_...). */
ZELKO_PTZ_API int zelko_ptz_set_ptz_aux(zelko_ptz_camera* camera, int32_t aux, int32_t status);

/** Sends one continuous-motion request. */
ZELKO_PTZ_API int zelko_ptz_set_ptz_ctrl(zelko_ptz_camera* camera, zelko_ptz_ctrl ctrl);

/** Travels to preset `id` (1 or more). */
ZELKO_PTZ_API int zelko_ptz_goto_preset(zelko_ptz_camera* camera, int32_t id);

/** Saves the present position as preset `id` under `name` (UTF-8). */
ZELKO_PTZ_API int zelko_ptz_set_preset(zelko_ptz_camera* camera, int32_t id, const char* name);

/** Forgets preset `id`. */
ZELKO_PTZ_API int zelko_ptz_remove_preset(zelko_ptz_camera* camera, int32_t id);

/**
 * Reads the camera's presets into `presets`, an array of `capacity` entries (NULL for 0), and
 * their number into `*count`. When the camera lists more than `capacity`, nothing is written to
 * `presets`, `*count` says how many there are and the result is ZELKO_PTZ_LIST_TOO_SMALL. On
 * any other failure neither is written.
 */
ZELKO_PTZ_API int zelko_ptz_get_presets(zelko_ptz_camera* camera, zelko_ptz_preset* presets,
                                        size_t capacity, size_t* count);

/** Reads the position as the camera reports it (Ptz::ZelkoPtzCameraIsapi::get_position());
 * `position` is written only on 0. */
ZELKO_PTZ_API int zelko_ptz_get_position(zelko_ptz_camera* camera, zelko_ptz_position* position);

/** Sends the values of `position` marked present (Ptz::ZelkoPtzCameraIsapi::set_position()). */
ZELKO_PTZ_API int zelko_ptz_set_position(zelko_ptz_camera* camera,
                                         const zelko_ptz_position* position);

/** Moves as zelko_ptz_set_ptz_ctrl() for `duration_ms`, then the camera stops by itself. */
ZELKO_PTZ_API int zelko_ptz_move_for(zelko_ptz_camera* camera, zelko_ptz_ctrl ctrl,
                                     int32_t duration_ms);

/** Moves by steps from the position read first: azimuth wrapped into 0 to 360. */
ZELKO_PTZ_API int zelko_ptz_move_by(zelko_ptz_camera* camera, float d_azimuth, float d_elevation,
                                    float d_zoom);

/** Centres the picture on (`x`, `y`), fractions of it from its top-left corner. */
ZELKO_PTZ_API int zelko_ptz_center_on(zelko_ptz_camera* camera, float x, float y);

/** Centres on the box from (`x0`, `y0`) to (`x1`, `y1`) and zooms: in when drawn from top-left
 * to bottom-right, out when drawn the other way. */
ZELKO_PTZ_API int zelko_ptz_zoom_to_area(zelko_ptz_camera* camera, float x0, float y0, float x1,
                                         float y1);

/** Waits until the position has stayed put for 0.5 s, reading it every 0.1 s; `where` gets it.
 * ZELKO_PTZ_TIMED_OUT, with the last position in `where`, past `timeout_seconds`. */
ZELKO_PTZ_API int zelko_ptz_wait_for_stop(zelko_ptz_camera* camera, zelko_ptz_position* where,
                                          double timeout_seconds);

/** Reads what the camera can do into `caps`, which is written only on 0. */
ZELKO_PTZ_API int zelko_ptz_get_capabilities(zelko_ptz_camera* camera,
                                             zelko_ptz_capabilities* caps);

/** The camera's time-outs for every later request (Ptz::ZelkoPtzCameraIsapi::set_timeouts()):
 * 0.1 to 600 s each, 5 and 5 by default; ZELKO_PTZ_REJECTED and a line otherwise. */
ZELKO_PTZ_API int zelko_ptz_set_timeouts(zelko_ptz_camera* camera, double connect_seconds,
                                         double total_seconds);

/**
 * Lets a blocking function be given up, as an interrupted program must
 * (Ptz::ZelkoPtzCameraIsapi::set_interrupt_check()): while the function waits on the camera,
 * `check(user)` runs on the caller's thread, every 100 ms in a wait between two reads and at
 * least once a second while a request is out; when it returns non-zero the function returns
 * ZELKO_PTZ_CANCELLED with "The operation was cancelled.", abandoning the request. A signal
 * handler may set the flag that `check` reads. NULL `check` removes it. Returns 0, or
 * ZELKO_PTZ_NULL_ARGUMENT for a NULL camera. Since 1.7.
 */
ZELKO_PTZ_API int zelko_ptz_set_interrupt_check(zelko_ptz_camera* camera, int (*check)(void* user),
                                                void* user);

/**
 * Why the last function on `camera` failed, in a few words for a person
 * (Ptz::ZelkoPtzCameraIsapi::failure_reason()); "" after a success, and for NULL. The text lives
 * until the next function on the handle.
 */
ZELKO_PTZ_API const char* zelko_ptz_failure_reason(zelko_ptz_camera* camera);

/** The library's version, such as "1.2.0". */
ZELKO_PTZ_API const char* zelko_ptz_version(void);

/** A short English description of a result code; "unknown result code" for any other. */
ZELKO_PTZ_API const char* zelko_ptz_result_text(int code);

/**
 * @name Many cameras from one thread: the engine
 * An engine (Ptz::Engine) runs the operations of any number of cameras at once on one thread of
 * the host's, and starts no thread of its own. Each function `zelko_ptz_<method>_async` submits
 * the method to an engine: the same requests, codes and error lines as `zelko_ptz_<method>`,
 * and a callback, called once with `user`, in place of the result. It returns the operation's
 * id, or 0 when it was not submitted (a NULL handle or callback, or memory ran out): the
 * callback then never runs. Callbacks run only inside zelko_ptz_engine_run(),
 * zelko_ptz_engine_on_socket() and zelko_ptz_engine_on_timeout(), on that thread; what they are
 * handed is valid during the call only. Submitting and cancelling are safe from any thread.
 * A camera freed with operations pending cancels them (their callbacks run with
 * ZELKO_PTZ_CANCELLED from the engine's next call); a freed engine cancels everything pending,
 * each callback once, from zelko_ptz_engine_free().
 * @{
 */
#define ZELKO_PTZ_WATCH_READ 1  /**< a socket to watch for reading, or that is readable */
#define ZELKO_PTZ_WATCH_WRITE 2 /**< a socket to watch for writing, or that is writable */

/** An engine, made by zelko_ptz_engine_new(). */
typedef struct zelko_ptz_engine zelko_ptz_engine;

/** An operation that ends with a code alone. */
typedef void (*zelko_ptz_done)(void* user, int code);
/** zelko_ptz_get_info_async(): the answer's `size` bytes (a zero follows), on 0 and 2. */
typedef void (*zelko_ptz_info_done)(void* user, int code, const char* answer, size_t size);
/** zelko_ptz_get_ptz_absoluteEx_async(): the seven values, on 0; NULL otherwise. */
typedef void (*zelko_ptz_absolute_ex_done)(void* user, int code,
                                           const zelko_ptz_absolute_ex* position);
/** get_position and wait_for_stop: the position, on 0 (wait_for_stop also on 5); else NULL. */
typedef void (*zelko_ptz_position_done)(void* user, int code, const zelko_ptz_position* position);
/** zelko_ptz_get_presets_async(): the `count` presets, on 0. */
typedef void (*zelko_ptz_presets_done)(void* user, int code, const zelko_ptz_preset* presets,
                                       size_t count);
/** zelko_ptz_get_capabilities_async(): what the camera can do, on 0; NULL otherwise. */
typedef void (*zelko_ptz_capabilities_done)(void* user, int code,
                                            const zelko_ptz_capabilities* caps);
/** zelko_ptz_wait_for_stop_async(): sees each position read; non-zero ends the wait with 0. */
typedef int (*zelko_ptz_position_watch)(void* user, const zelko_ptz_position* position);

/** A new engine, or NULL when memory or the system's descriptors ran out. */
ZELKO_PTZ_API zelko_ptz_engine* zelko_ptz_engine_new(void);
/** Cancels what is pending, each callback once, and frees the engine; NULL is ignored. */
ZELKO_PTZ_API void zelko_ptz_engine_free(zelko_ptz_engine* engine);
/**
 * Waits at most `timeout_ms` (-1: without end) for something to do, does what is ready, runs
 * the callbacks that are due; returns how many operations are pending, or a negative code:
 * -ZELKO_PTZ_NULL_ARGUMENT, -ZELKO_PTZ_REJECTED when hooks are set.
 */
ZELKO_PTZ_API int zelko_ptz_engine_run(zelko_ptz_engine* engine, int timeout_ms);
/** Makes a zelko_ptz_engine_run() in progress return early; from any thread. */
ZELKO_PTZ_API void zelko_ptz_engine_wakeup(zelko_ptz_engine* engine);
/**
 * Hands the engine to a host's event loop (Ptz::Engine::set_hooks()): `socket` is asked to watch
 * `fd` for ZELKO_PTZ_WATCH_READ | ZELKO_PTZ_WATCH_WRITE (0: stop, before the fd closes),
 * `timer` for one zelko_ptz_engine_on_timeout() after `ms` (-1: none). Hooks must only record.
 * Returns 0, ZELKO_PTZ_NULL_ARGUMENT, or ZELKO_PTZ_REJECTED when a hook is NULL or an
 * operation is pending.
 */
ZELKO_PTZ_API int zelko_ptz_engine_set_hooks(zelko_ptz_engine* engine,
                                             void (*socket)(void* user, int fd, int events),
                                             void (*timer)(void* user, long ms), void* user);
/** The host's loop saw `events` on `fd`, one the socket hook asked it to watch. */
ZELKO_PTZ_API void zelko_ptz_engine_on_socket(zelko_ptz_engine* engine, int fd, int events);
/** The time the timer hook asked for has come. */
ZELKO_PTZ_API void zelko_ptz_engine_on_timeout(zelko_ptz_engine* engine);
/**
 * Cancels operation `id`: its callback runs once with ZELKO_PTZ_CANCELLED, and nothing more is
 * sent for it. Returns 0, ZELKO_PTZ_NULL_ARGUMENT, or ZELKO_PTZ_REJECTED when it is not pending.
 */
ZELKO_PTZ_API int zelko_ptz_cancel(zelko_ptz_engine* engine, uint64_t id);
/**
 * With `on` non-zero, a move that sets the camera's motion outright (set_ptz_ctrl,
 * set_ptz_absoluteEx, set_position, set_focus, set_iris) replaces the one of the same function
 * still waiting to send its request; the replaced one's callback runs with ZELKO_PTZ_CANCELLED,
 * without a line (Ptz::ZelkoPtzCameraIsapi::set_move_coalescing()). Off by default. Returns 0, or
 * ZELKO_PTZ_NULL_ARGUMENT. Since 1.7.
 */
ZELKO_PTZ_API int zelko_ptz_set_move_coalescing(zelko_ptz_camera* camera, int on);

/** zelko_ptz_get_info() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_info_async(zelko_ptz_camera* camera, zelko_ptz_engine* engine,
                                                const char* path, zelko_ptz_info_done done,
                                                void* user);
/** zelko_ptz_get_ptz_absoluteEx() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_ptz_absoluteEx_async(zelko_ptz_camera* camera,
                                                          zelko_ptz_engine* engine,
                                                          zelko_ptz_absolute_ex_done done,
                                                          void* user);
/** zelko_ptz_set_ptz_absoluteEx() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_ptz_absoluteEx_async(zelko_ptz_camera* camera,
                                                          zelko_ptz_engine* engine,
                                                          zelko_ptz_absolute_ex position,
                                                          zelko_ptz_done done, void* user);
/** zelko_ptz_reset_zoom() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_reset_zoom_async(zelko_ptz_camera* camera,
                                                  zelko_ptz_engine* engine, zelko_ptz_done done,
                                                  void* user);
/** zelko_ptz_reset_position() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_reset_position_async(zelko_ptz_camera* camera,
                                                      zelko_ptz_engine* engine, zelko_ptz_done done,
                                                      void* user);
/** zelko_ptz_set_ptz_aux() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_ptz_aux_async(zelko_ptz_camera* camera,
                                                   zelko_ptz_engine* engine, int32_t aux,
                                                   int32_t status, zelko_ptz_done done, void* user);
/** zelko_ptz_set_ptz_ctrl() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_ptz_ctrl_async(zelko_ptz_camera* camera,
                                                    zelko_ptz_engine* engine, zelko_ptz_ctrl ctrl,
                                                    zelko_ptz_done done, void* user);
/** zelko_ptz_goto_preset() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_goto_preset_async(zelko_ptz_camera* camera,
                                                   zelko_ptz_engine* engine, int32_t id,
                                                   zelko_ptz_done done, void* user);
/** zelko_ptz_set_preset() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_preset_async(zelko_ptz_camera* camera,
                                                  zelko_ptz_engine* engine, int32_t id,
                                                  const char* name, zelko_ptz_done done,
                                                  void* user);
/** zelko_ptz_remove_preset() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_remove_preset_async(zelko_ptz_camera* camera,
                                                     zelko_ptz_engine* engine, int32_t id,
                                                     zelko_ptz_done done, void* user);
/** zelko_ptz_get_presets() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_presets_async(zelko_ptz_camera* camera,
                                                   zelko_ptz_engine* engine,
                                                   zelko_ptz_presets_done done, void* user);
/** zelko_ptz_get_position() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_position_async(zelko_ptz_camera* camera,
                                                    zelko_ptz_engine* engine,
                                                    zelko_ptz_position_done done, void* user);
/** zelko_ptz_set_position() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_position_async(zelko_ptz_camera* camera,
                                                    zelko_ptz_engine* engine,
                                                    const zelko_ptz_position* position,
                                                    zelko_ptz_done done, void* user);
/** zelko_ptz_move_for() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_move_for_async(zelko_ptz_camera* camera, zelko_ptz_engine* engine,
                                                zelko_ptz_ctrl ctrl, int32_t duration_ms,
                                                zelko_ptz_done done, void* user);
/** zelko_ptz_move_by() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_move_by_async(zelko_ptz_camera* camera, zelko_ptz_engine* engine,
                                               float d_azimuth, float d_elevation, float d_zoom,
                                               zelko_ptz_done done, void* user);
/** zelko_ptz_center_on() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_center_on_async(zelko_ptz_camera* camera, zelko_ptz_engine* engine,
                                                 float x, float y, zelko_ptz_done done, void* user);
/** zelko_ptz_zoom_to_area() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_zoom_to_area_async(zelko_ptz_camera* camera,
                                                    zelko_ptz_engine* engine, float x0, float y0,
                                                    float x1, float y1, zelko_ptz_done done,
                                                    void* user);
/** `watch` may be NULL; it runs on the engine's thread with `user`, as `done` does. */
ZELKO_PTZ_API uint64_t zelko_ptz_wait_for_stop_async(zelko_ptz_camera* camera,
                                                     zelko_ptz_engine* engine,
                                                     double timeout_seconds,
                                                     zelko_ptz_position_watch watch,
                                                     zelko_ptz_position_done done, void* user);
/** zelko_ptz_get_capabilities() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_capabilities_async(zelko_ptz_camera* camera,
                                                        zelko_ptz_engine* engine,
                                                        zelko_ptz_capabilities_done done,
                                                        void* user);
/** @} */

/**
 * @name The console: focus and iris, patrols (preset tours), patterns (recorded moves), the
 * park action. Each function is its method of the camera object's, blocking, and on an engine
 * with `_async`; codes and lines as there.
 * @{
 */

/** How many steps zelko_ptz_patrol holds: as many as a camera keeps. */
#define ZELKO_PTZ_MAX_PATROL_STEPS 32
/** The size of zelko_ptz_patrol::name, its terminating zero included. */
#define ZELKO_PTZ_PATROL_NAME_SIZE 128

/** One stop of a patrol, as Ptz::PtzPatrolStep. */
typedef struct zelko_ptz_patrol_step {
    int32_t preset;        /**< "presetID", 1 or more */
    int32_t speed;         /**< "seqSpeed", 1 or more */
    int32_t dwell_seconds; /**< "delay", in seconds */
} zelko_ptz_patrol_step;

/** A patrol, as Ptz::PtzPatrol. */
typedef struct zelko_ptz_patrol {
    int32_t id;      /**< "id", 1 or more */
    int32_t enabled; /**< 1: "enabled" is "true" */
    /** "patrolName", zero-terminated; a longer name is cut at a UTF-8 character boundary. */
    char name[ZELKO_PTZ_PATROL_NAME_SIZE];
    size_t step_count; /**< how many of steps are filled; more than 32 is refused */
    zelko_ptz_patrol_step steps[ZELKO_PTZ_MAX_PATROL_STEPS]; /**< its stops in order */
} zelko_ptz_patrol;

/** A pattern, as Ptz::PtzPattern. */
typedef struct zelko_ptz_pattern {
    int32_t id;      /**< "id", 1 or more */
    int32_t enabled; /**< 1: something is recorded */
} zelko_ptz_pattern;

/** The park action, as Ptz::PtzParkAction. */
typedef struct zelko_ptz_park_action {
    int32_t enabled;                            /**< 1: on */
    int32_t seconds;                            /**< "Parktime", seconds without commands */
    char kind[ZELKO_PTZ_PARK_ACTION_KIND_SIZE]; /**< "ActionType": "preset", "autoscan", ... */
    int32_t number;                             /**< "ActionNum" */
} zelko_ptz_park_action;

/** As zelko_ptz_get_capabilities(), with the console's values (Ptz::get_capabilities_ex()). */
ZELKO_PTZ_API int zelko_ptz_get_capabilities_ex(zelko_ptz_camera* camera,
                                                zelko_ptz_capabilities_ex* caps);
/** Drives the focus at `speed`, -100 (near) to 100 (far); 0 stops. */
ZELKO_PTZ_API int zelko_ptz_set_focus(zelko_ptz_camera* camera, int32_t speed);
/** Drives the iris at `speed`, -100 (close) to 100 (open); 0 stops. */
ZELKO_PTZ_API int zelko_ptz_set_iris(zelko_ptz_camera* camera, int32_t speed);
/** Focuses once by itself. */
ZELKO_PTZ_API int zelko_ptz_one_push_focus(zelko_ptz_camera* camera);
/** Reads the patrols as zelko_ptz_get_presets() reads presets. */
ZELKO_PTZ_API int zelko_ptz_get_patrols(zelko_ptz_camera* camera, zelko_ptz_patrol* patrols,
                                        size_t capacity, size_t* count);
/** Saves `patrol` under its id. */
ZELKO_PTZ_API int zelko_ptz_set_patrol(zelko_ptz_camera* camera, const zelko_ptz_patrol* patrol);
/** Starts patrol `id`. */
ZELKO_PTZ_API int zelko_ptz_start_patrol(zelko_ptz_camera* camera, int32_t id);
/** Stops patrol `id`. */
ZELKO_PTZ_API int zelko_ptz_stop_patrol(zelko_ptz_camera* camera, int32_t id);
/** Empties patrol `id`. */
ZELKO_PTZ_API int zelko_ptz_remove_patrol(zelko_ptz_camera* camera, int32_t id);
/** Reads the patterns as zelko_ptz_get_presets() reads presets. */
ZELKO_PTZ_API int zelko_ptz_get_patterns(zelko_ptz_camera* camera, zelko_ptz_pattern* patterns,
                                         size_t capacity, size_t* count);
/** Replays pattern `id`. */
ZELKO_PTZ_API int zelko_ptz_start_pattern(zelko_ptz_camera* camera, int32_t id);
/** Stops pattern `id`. */
ZELKO_PTZ_API int zelko_ptz_stop_pattern(zelko_ptz_camera* camera, int32_t id);
/** Records the moves from now on as pattern `id`. */
ZELKO_PTZ_API int zelko_ptz_start_pattern_recording(zelko_ptz_camera* camera, int32_t id);
/** Ends the recording of pattern `id`. */
ZELKO_PTZ_API int zelko_ptz_stop_pattern_recording(zelko_ptz_camera* camera, int32_t id);
/** Forgets pattern `id`. */
ZELKO_PTZ_API int zelko_ptz_remove_pattern(zelko_ptz_camera* camera, int32_t id);
/** Reads the park action into `action`; untouched on failure. */
ZELKO_PTZ_API int zelko_ptz_get_park_action(zelko_ptz_camera* camera,
                                            zelko_ptz_park_action* action);
/** Sets the park action. */
ZELKO_PTZ_API int zelko_ptz_set_park_action(zelko_ptz_camera* camera,
                                            const zelko_ptz_park_action* action);

/** zelko_ptz_get_capabilities_ex_async(): what the camera can do, on 0; NULL otherwise. */
typedef void (*zelko_ptz_capabilities_ex_done)(void* user, int code,
                                               const zelko_ptz_capabilities_ex* caps);
/** zelko_ptz_get_patrols_async(): the `count` patrols, on 0. */
typedef void (*zelko_ptz_patrols_done)(void* user, int code, const zelko_ptz_patrol* patrols,
                                       size_t count);
/** zelko_ptz_get_patterns_async(): the `count` patterns, on 0. */
typedef void (*zelko_ptz_patterns_done)(void* user, int code, const zelko_ptz_pattern* patterns,
                                        size_t count);
/** zelko_ptz_get_park_action_async(): the park action, on 0; NULL otherwise. */
typedef void (*zelko_ptz_park_action_done)(void* user, int code,
                                           const zelko_ptz_park_action* action);

/** zelko_ptz_get_capabilities_ex() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_capabilities_ex_async(zelko_ptz_camera* camera,
                                                           zelko_ptz_engine* engine,
                                                           zelko_ptz_capabilities_ex_done done,
                                                           void* user);
/** zelko_ptz_set_focus() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_focus_async(zelko_ptz_camera* camera, zelko_ptz_engine* engine,
                                                 int32_t speed, zelko_ptz_done done, void* user);
/** zelko_ptz_set_iris() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_iris_async(zelko_ptz_camera* camera, zelko_ptz_engine* engine,
                                                int32_t speed, zelko_ptz_done done, void* user);
/** zelko_ptz_one_push_focus() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_one_push_focus_async(zelko_ptz_camera* camera,
                                                      zelko_ptz_engine* engine, zelko_ptz_done done,
                                                      void* user);
/** zelko_ptz_get_patrols() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_patrols_async(zelko_ptz_camera* camera,
                                                   zelko_ptz_engine* engine,
                                                   zelko_ptz_patrols_done done, void* user);
/** zelko_ptz_set_patrol() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_patrol_async(zelko_ptz_camera* camera,
                                                  zelko_ptz_engine* engine,
                                                  const zelko_ptz_patrol* patrol,
                                                  zelko_ptz_done done, void* user);
/** zelko_ptz_start_patrol() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_start_patrol_async(zelko_ptz_camera* camera,
                                                    zelko_ptz_engine* engine, int32_t id,
                                                    zelko_ptz_done done, void* user);
/** zelko_ptz_stop_patrol() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_stop_patrol_async(zelko_ptz_camera* camera,
                                                   zelko_ptz_engine* engine, int32_t id,
                                                   zelko_ptz_done done, void* user);
/** zelko_ptz_remove_patrol() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_remove_patrol_async(zelko_ptz_camera* camera,
                                                     zelko_ptz_engine* engine, int32_t id,
                                                     zelko_ptz_done done, void* user);
/** zelko_ptz_get_patterns() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_patterns_async(zelko_ptz_camera* camera,
                                                    zelko_ptz_engine* engine,
                                                    zelko_ptz_patterns_done done, void* user);
/** zelko_ptz_start_pattern() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_start_pattern_async(zelko_ptz_camera* camera,
                                                     zelko_ptz_engine* engine, int32_t id,
                                                     zelko_ptz_done done, void* user);
/** zelko_ptz_stop_pattern() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_stop_pattern_async(zelko_ptz_camera* camera,
                                                    zelko_ptz_engine* engine, int32_t id,
                                                    zelko_ptz_done done, void* user);
/** zelko_ptz_start_pattern_recording() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_start_pattern_recording_async(zelko_ptz_camera* camera,
                                                               zelko_ptz_engine* engine, int32_t id,
                                                               zelko_ptz_done done, void* user);
/** zelko_ptz_stop_pattern_recording() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_stop_pattern_recording_async(zelko_ptz_camera* camera,
                                                              zelko_ptz_engine* engine, int32_t id,
                                                              zelko_ptz_done done, void* user);
/** zelko_ptz_remove_pattern() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_remove_pattern_async(zelko_ptz_camera* camera,
                                                      zelko_ptz_engine* engine, int32_t id,
                                                      zelko_ptz_done done, void* user);
/** zelko_ptz_get_park_action() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_get_park_action_async(zelko_ptz_camera* camera,
                                                       zelko_ptz_engine* engine,
                                                       zelko_ptz_park_action_done done, void* user);
/** zelko_ptz_set_park_action() on `engine`. */
ZELKO_PTZ_API uint64_t zelko_ptz_set_park_action_async(zelko_ptz_camera* camera,
                                                       zelko_ptz_engine* engine,
                                                       const zelko_ptz_park_action* action,
                                                       zelko_ptz_done done, void* user);
/** @} */

#ifdef __cplusplus
}
#endif

#endif
