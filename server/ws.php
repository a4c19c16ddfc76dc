<?php
/*
 * ws.php: runs one SQL statement posted by Vantrel on a MySQL or MariaDB
 * server and answers it as plain text. PHP 7.4 to 8.x with mysqli.
 *
 * Request: an HTTP POST of a URL-encoded form.
 *   WS_server    the MySQL server: "host" or "host:port" ("[::1]:port" for an
 *                IPv6 address with a port); "localhost" when absent. It must
 *                be allowed (see "Settings" below).
 *   WS_service   "SQL", or absent.
 *   WS_database  the default database; none when absent.
 *   WS_account   the MySQL account.
 *   WS_pwd       its password, Base64 with or without "=" padding.
 *   WS_query     one statement.
 *
 * Answer: text/plain, status 200 even for an error, since the client shows
 * the text of an error answer but only a bare code for an HTTP failure.
 *   - A header line with the field names joined by tabs, then one line per
 *     row with the values joined by tabs. Every line ends with a line feed.
 *     Rows are written as MySQL sends them (an unbuffered query), so the
 *     size of a result costs no memory here.
 *   - Inside a name or a value, a line feed is written as \n and a tab as \t
 *     (backslash and a letter). A carriage return cannot travel, since the
 *     reader ends a line at it and has no escape for it: a CR LF pair and a
 *     lone CR are both written as \n, like the line break they are. A NUL
 *     byte, which would end the whole answer for the reader, is written as
 *     \0 (backslash and zero). A backslash itself is written as it is.
 *   - NULL is written as the text in WS_NULL_TEXT below, by default NULL
 *     (as the mysql command-line client does), so that it stays apart from
 *     an empty string, which is written as nothing.
 *   - A statement without a result set (INSERT, UPDATE, CREATE, SET...)
 *     answers one column "affected_rows" and one row with the number of rows
 *     it changed.
 *   - An error answers one line: "$ERR " and the first line of the message.
 *     An error that happens after rows have been sent (the connection to
 *     MySQL lost in the middle of a result) can no longer replace the
 *     header: it is written as a last line "$ERR " and the message, so that
 *     a cut result never looks complete.
 *   - A GET (or HEAD) answers "$ERR " and a sentence saying that the script
 *     is alive, without touching MySQL: a client whose POST was turned into
 *     a GET on the way sees an error, not an empty result.
 *   - The answer to a POST is compressed (Content-Encoding: gzip, or
 *     deflate) when the request's Accept-Encoding names it and nothing else
 *     compresses: no output layer of PHP is left and no Content-Encoding
 *     header is set. It still streams: what is compressed is flushed to the
 *     client every WS_FLUSH_BYTES of text, and an error line after rows is
 *     written inside the compressed stream.
 *
 * Character set: the connection to MySQL uses WS_CHARSET below, utf8mb4 by
 * default, which matches a client that runs under a UTF-8 locale (the bytes
 * it posts and reads are then UTF-8). A client under an 8-bit locale needs
 * the matching MySQL character set here, for instance latin1.
 *
 * Safety: the script connects only to the servers and ports it allows (by
 * default the usual MySQL port 3306 and the local socket, on localhost,
 * 127.0.0.1 and ::1), so that it can neither reach other machines nor tell
 * closed, open and silent local ports apart; a server off the list is never
 * connected to. The connection to MySQL has connect and read time-outs, so
 * that a silent server or an endless statement does not hold a worker of
 * the web server for ever. After too many failed logins from one client
 * address in a short time, logins from it are refused for a while without
 * reaching MySQL; empty passwords are refused. LOAD DATA LOCAL is refused,
 * so that a statement cannot read files of the web server; no PHP warning,
 * notice or path is ever written into an answer. PHP's own time limit is
 * lifted, since a large result takes as long as it takes to send (the web
 * server's own time-outs still apply). A request larger than PHP's
 * post_max_size answers an error line that names the limit; PHP itself
 * reports that case before any script runs, so display_startup_errors must
 * stay Off (the production default) for the answer to hold nothing else.
 *
 * Settings: an optional file ws-config.php beside this script returns an
 * array of the settings to change (server/README.md shows one), so that an
 * update of ws.php keeps them. A setting it does not know or a value of the
 * wrong kind answers an error line that names the setting, rather than
 * being ignored.
 *   allowed_servers       MySQL servers allowed besides the defaults:
 *                         "host:port" ("[v6 address]:port"), or "host"
 *                         alone as a request names it without a port (the
 *                         local socket for localhost, mysqli.default_port
 *                         for any other host). Host names are compared as
 *                         written, without any name lookup.
 *   connect_timeout       seconds allowed for connecting to MySQL (5).
 *   read_timeout          seconds MySQL may stay silent, while connecting
 *                         or running a statement, before the script gives up
 *                         (60).
 *   max_failed_logins     failed logins from one client address within
 *                         failed_logins_window seconds after which its
 *                         logins are refused until the oldest of them is
 *                         that old (10 within 300); 0 counts nothing.
 *   allow_empty_password  whether a login with an empty password is passed
 *                         to MySQL (false).
 * The failed logins are counted in the web server's temporary folder
 * (sys_get_temp_dir()), one small file per client address (per /64 network
 * for IPv6), removed once its failures are older than the window. The
 * address is the web server's REMOTE_ADDR: behind a proxy, every client
 * shares the proxy's.
 */

// The settings file, beside this script.
const WS_SETTINGS_FILE = 'ws-config.php';

// The MySQL servers allowed whatever the settings say: the local socket and
// the usual port of the local machine.
const WS_DEFAULT_SERVERS = array('localhost', 'localhost:3306', '127.0.0.1:3306', '[::1]:3306');

// Every setting of ws-config.php and its value when the file does not set
// it.
const WS_DEFAULT_SETTINGS = array(
    'allowed_servers' => array(),
    'connect_timeout' => 5,
    'read_timeout' => 60,
    'max_failed_logins' => 10,
    'failed_logins_window' => 300,
    'allow_empty_password' => false,
);

// The names of the files that count failed logins, in the temporary folder.
const WS_LOGINS_PREFIX = 'ws-php-logins-';

// The character set of the connection to MySQL.
const WS_CHARSET = 'utf8mb4';

// How NULL is written. '' writes it as an empty string.
const WS_NULL_TEXT = 'NULL';

// Bytes gathered before they are sent: an error inside the first block can
// still replace the whole answer.
const WS_BLOCK_BYTES = 65536;

// zlib's fastest level. Over a slow link it gains nearly what higher levels
// do (bench/compression/run at 10 Mbit/s: 4.3 times faster than plain, 4.5
// at level 3, 5.0 at level 6), while the web server's time it adds, all
// that counts where the link costs nothing, grows fast with the level (on
// loopback, level 3 adds over twice and level 6 over four times what level
// 1 adds).
const WS_COMPRESSION_LEVEL = 1;

// Text compressed after which what is pending leaves for the client, so
// that compressed rows stream as plain ones do.
const WS_FLUSH_BYTES = 65536;

// A failure whose message is meant for the user as it is.
class WsError extends Exception
{
}

// Whether the answer is complete, for the shutdown handler.
final class WsAnswer
{
    public static $finished = false;
}

// The compression of the answer under way: zlib's context, or null, and the
// text compressed since the last flush.
final class WsOutput
{
    public static $deflate = null;
    public static $unflushed = 0;
}

ws_main();

function ws_main()
{
    ini_set('display_errors', '0');
    ini_set('html_errors', '0');
    set_error_handler('ws_on_php_error');
    register_shutdown_function('ws_on_shutdown');
    // Output layers of the configuration would hold the rows back; nothing
    // in them is ours.
    while (ob_get_level() > 0) {
        if (!ob_end_clean()) {
            break;
        }
    }
    header('Content-Type: text/plain' . (stripos(WS_CHARSET, 'utf8') === 0 ? '; charset=UTF-8' : ''));
    header('X-Content-Type-Options: nosniff');
    header('Cache-Control: no-store');
    header_remove('X-Powered-By');

    $method = isset($_SERVER['REQUEST_METHOD']) ? $_SERVER['REQUEST_METHOD'] : '';
    if ($method === 'GET' || $method === 'HEAD' || $method === '') {
        ws_finish("\$ERR ws.php is alive; it runs only statements sent by POST\n");
        return;
    }
    if ($method !== 'POST') {
        http_response_code(405);
        header('Allow: GET, HEAD, POST');
        ws_finish("\$ERR ws.php runs only statements sent by POST\n");
        return;
    }
    if (function_exists('set_time_limit')) {
        set_time_limit(0);
    }
    ws_start_compression();

    try {
        ws_run();
    } catch (WsError $e) {
        ws_fail($e->getMessage());
    } catch (mysqli_sql_exception $e) {
        ws_fail($e->getMessage());
    } catch (Throwable $e) {
        error_log('ws.php: ' . $e);
        ws_fail('Internal error of ws.php');
    }
    ws_end_compression();
}

// Compresses the answer from here on when the client accepts it and
// neither PHP nor the web server already does. An output layer that could
// not be removed may compress or hold the rows itself; a Content-Encoding
// header means someone compresses (Apache's mod_deflate and nginx's gzip,
// which PHP cannot see, leave an answer alone once it has that header).
function ws_start_compression()
{
    if (!function_exists('deflate_init') || ob_get_level() > 0 || headers_sent()) {
        return;
    }
    foreach (headers_list() as $header) {
        if (stripos($header, 'Content-Encoding:') === 0) {
            return;
        }
    }
    // The answer depends on the request's Accept-Encoding from here on.
    header('Vary: Accept-Encoding');
    $encoding = ws_accepted_encoding(isset($_SERVER['HTTP_ACCEPT_ENCODING']) ? $_SERVER['HTTP_ACCEPT_ENCODING'] : '');
    if ($encoding === '') {
        return;
    }
    $context = deflate_init($encoding === 'gzip' ? ZLIB_ENCODING_GZIP : ZLIB_ENCODING_DEFLATE,
        array('level' => WS_COMPRESSION_LEVEL));
    if ($context === false) {
        return;
    }
    header('Content-Encoding: ' . $encoding);
    WsOutput::$deflate = $context;
}

// "gzip" or "deflate" when the Accept-Encoding header accepts it (gzip
// first), else ''. A weight of 0 refuses an encoding; "*" stands for those
// not named.
function ws_accepted_encoding($header)
{
    $weights = array();
    foreach (explode(',', $header) as $item) {
        $parts = explode(';', $item);
        $name = strtolower(trim($parts[0]));
        if ($name === '') {
            continue;
        }
        $weight = 1.0;
        foreach (array_slice($parts, 1) as $parameter) {
            if (preg_match('/^\s*q\s*=\s*([0-9.]+)\s*$/i', $parameter, $m)) {
                $weight = (float) $m[1];
            }
        }
        $weights[$name] = $weight;
    }
    foreach (array('gzip', 'deflate') as $encoding) {
        $weight = isset($weights[$encoding]) ? $weights[$encoding] : (isset($weights['*']) ? $weights['*'] : 0.0);
        if ($weight > 0) {
            return $encoding;
        }
    }
    return '';
}

// Ends the compressed stream, once; what follows it would not be read.
function ws_end_compression()
{
    $context = WsOutput::$deflate;
    if ($context === null) {
        return;
    }
    WsOutput::$deflate = null;
    $tail = deflate_add($context, '', ZLIB_FINISH);
    if (is_string($tail) && $tail !== '') {
        echo $tail;
        flush();
    }
}

function ws_run()
{
    $length = isset($_SERVER['CONTENT_LENGTH']) ? (int) $_SERVER['CONTENT_LENGTH'] : 0;
    $limit = ws_ini_bytes(ini_get('post_max_size'));
    if ($limit > 0 && $length > $limit) {
        throw new WsError('The request (' . $length . ' bytes) is larger than the web server accepts'
            . ' (post_max_size ' . ini_get('post_max_size') . ')');
    }
    if (!extension_loaded('mysqli')) {
        throw new WsError('The PHP extension mysqli is not installed on the web server');
    }
    $settings = ws_settings();

    $service = ws_field('WS_service');
    if ($service !== '' && strcasecmp($service, 'SQL') !== 0) {
        throw new WsError('Unknown service "' . $service . '"');
    }
    $query = ws_field('WS_query');
    if (trim($query) === '') {
        throw new WsError('No statement to run (WS_query is empty)');
    }
    // A "+" that was not percent-encoded arrives as a space.
    $password = base64_decode(strtr(ws_field('WS_pwd'), ' ', '+'), true);
    if ($password === false) {
        throw new WsError('The password (WS_pwd) is not Base64');
    }
    $server = ws_field('WS_server');
    list($host, $port) = ws_parse_server($server === '' ? 'localhost' : $server);
    if (!ws_server_allowed($host, $port, $settings['allowed_servers'])) {
        throw new WsError('The MySQL server ' . $server . ' is not in the list of servers allowed by ws.php;'
            . ' no connection was attempted');
    }
    if ($password === '' && !$settings['allow_empty_password']) {
        throw new WsError('Empty passwords are refused by ws.php: an account without a password'
            . ' must not be reachable from the web');
    }
    ws_check_failed_logins($settings);

    $db = ws_connect($server === '' ? 'localhost' : $server, $host, $port, ws_field('WS_account'), $password,
        ws_field('WS_database'), $settings);
    try {
        ws_answer($db, $query, $settings);
    } finally {
        $db->close();
    }
}

function ws_connect($server, $host, $port, $account, $password, $database, array $settings)
{
    // Errors raise mysqli_sql_exception under every PHP version, whatever
    // the version's default.
    mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
    $db = mysqli_init();
    $db->options(MYSQLI_OPT_LOCAL_INFILE, 0);
    $db->options(MYSQLI_OPT_CONNECT_TIMEOUT, $settings['connect_timeout']);
    // The connect time-out ends with the TCP connection: a server that
    // accepts it and says nothing is only cut by the read time-out, which
    // also bounds every wait for a statement's answer.
    if (defined('MYSQLI_OPT_READ_TIMEOUT')) {
        $db->options(MYSQLI_OPT_READ_TIMEOUT, $settings['read_timeout']);
    } else {
        ini_set('mysqlnd.net_read_timeout', (string) $settings['read_timeout']);
    }
    if (defined('MYSQLI_OPT_INT_AND_FLOAT_NATIVE')) {
        // Values as MySQL writes them, not as PHP would print numbers.
        $db->options(MYSQLI_OPT_INT_AND_FLOAT_NATIVE, 0);
    }
    // "localhost" alone means the local socket; with a port, the user means
    // that port, which only TCP reaches.
    $target = $host;
    if ($port !== null && strcasecmp($host, 'localhost') === 0) {
        $target = '127.0.0.1';
    } elseif (strpos($host, ':') !== false) {
        $target = '[' . $host . ']';
    }
    $started = microtime(true);
    try {
        $db->real_connect($target, $account, $password, $database, $port === null ? ws_default_port() : $port);
    } catch (mysqli_sql_exception $e) {
        // 1045: wrong account or password; 1698: refused without a password.
        if ($e->getCode() === 1045 || $e->getCode() === 1698) {
            ws_count_failed_login($settings);
        }
        // Messages of the client library (2000 and up) name no server.
        if ($e->getCode() >= 2000) {
            throw new WsError('Cannot connect to the MySQL server ' . $server . ': '
                . ws_connect_failure($e, microtime(true) - $started, $settings));
        }
        throw $e;
    }
    // Connecting applies php.ini's mysqli.allow_local_infile (and, from PHP
    // 8.1, mysqli.local_infile_directory) over the options set before, so
    // LOAD DATA LOCAL is refused again here, where it holds for the
    // statement.
    $db->options(MYSQLI_OPT_LOCAL_INFILE, 0);
    if (defined('MYSQLI_OPT_LOAD_DATA_LOCAL_DIR')) {
        $db->options(MYSQLI_OPT_LOAD_DATA_LOCAL_DIR, null);
    }
    $db->set_charset(WS_CHARSET);
    return $db;
}

// The library's words for a time-out ("MySQL server has gone away" for a
// silent greeting) suggest a crash: a wait as long as a time-out names it.
function ws_connect_failure(mysqli_sql_exception $e, $waited, array $settings)
{
    $timeout = 0;
    foreach (array($settings['connect_timeout'], $settings['read_timeout']) as $candidate) {
        if ($waited >= $candidate - 0.5 && $candidate > $timeout) {
            $timeout = $candidate;
        }
    }
    return $timeout > 0 ? 'no answer within ' . ws_seconds($timeout) : ws_first_line($e->getMessage());
}

function ws_answer($db, $query, array $settings)
{
    $started = microtime(true);
    try {
        $result = $db->query($query, MYSQLI_USE_RESULT);
    } catch (mysqli_sql_exception $e) {
        // 2006 and 2013: the connection ended, here by the read time-out.
        $code = $e->getCode();
        if (($code === 2006 || $code === 2013) && microtime(true) - $started >= $settings['read_timeout'] - 0.5) {
            throw new WsError('The MySQL server sent nothing for ' . ws_seconds($settings['read_timeout'])
                . ', the read time-out of ws.php (read_timeout in ' . WS_SETTINGS_FILE . ');'
                . ' the statement may still be running there');
        }
        throw $e;
    }
    if ($result === true) {
        ws_finish("affected_rows\n" . $db->affected_rows . "\n");
        return;
    }
    $names = array();
    foreach ($result->fetch_fields() as $field) {
        $names[] = $field->name;
    }
    $block = ws_line($names);
    try {
        while ($row = $result->fetch_row()) {
            if (in_array(null, $row, true)) {
                foreach ($row as $i => $value) {
                    if ($value === null) {
                        $row[$i] = WS_NULL_TEXT;
                    }
                }
            }
            $line = ws_line($row);
            if (strlen($block) + strlen($line) < WS_BLOCK_BYTES) {
                $block .= $line;
            } else {
                // A long line goes out as it is, not copied into the block.
                ws_send($block);
                ws_send($line);
                $block = '';
            }
        }
        if ($db->errno !== 0) {
            throw new WsError($db->error);
        }
    } finally {
        $result->free();
    }
    ws_send($block);
    WsAnswer::$finished = true;
}

// Values joined by tabs, with the escapes the reader undoes.
function ws_line(array $values)
{
    static $from = array("\r\n", "\r", "\n", "\t", "\0");
    static $to = array('\n', '\n', '\n', '\t', '\0');
    return implode("\t", str_replace($from, $to, $values)) . "\n";
}

function ws_send($text)
{
    if ($text === '') {
        return;
    }
    if (WsOutput::$deflate !== null) {
        WsOutput::$unflushed += strlen($text);
        $flush = WsOutput::$unflushed >= WS_FLUSH_BYTES;
        $text = deflate_add(WsOutput::$deflate, $text, $flush ? ZLIB_SYNC_FLUSH : ZLIB_NO_FLUSH);
        if ($flush) {
            WsOutput::$unflushed = 0;
        }
        // Nothing out yet: zlib holds it until the next flush.
        if (!is_string($text) || $text === '') {
            return;
        }
    }
    echo $text;
    flush();
}

function ws_finish($text)
{
    ws_send($text);
    WsAnswer::$finished = true;
}

// Before any output the error is the whole answer; after, its last line.
function ws_fail($message)
{
    $message = ws_first_line($message);
    if ($message === '') {
        $message = 'Unknown error';
    }
    ws_finish('$ERR ' . $message . "\n");
}

function ws_first_line($text)
{
    $parts = preg_split('/\r\n|\r|\n/', str_replace("\0", '', (string) $text), 2);
    return rtrim($parts[0]);
}

function ws_field($name)
{
    if (!isset($_POST[$name])) {
        return '';
    }
    if (!is_string($_POST[$name])) {
        throw new WsError('The field ' . $name . ' is not a single value');
    }
    return $_POST[$name];
}

// "host", "host:port", "[v6]:port" or a bare IPv6 address; the port is null
// when none is given.
function ws_parse_server($text)
{
    $host = $text;
    $port = null;
    if (preg_match('/^\[([^\]]+)\](?::(\d*))?$/', $text, $m)) {
        $host = $m[1];
        $port = isset($m[2]) ? $m[2] : null;
    } elseif (substr_count($text, ':') === 1) {
        list($host, $port) = explode(':', $text);
    }
    if ($port !== null) {
        if (!preg_match('/^\d{1,5}$/', $port) || (int) $port < 1 || (int) $port > 65535) {
            throw new WsError('Invalid port in the MySQL server ' . $text);
        }
        $port = (int) $port;
    }
    if ($host === '') {
        throw new WsError('Invalid MySQL server ' . $text);
    }
    return array($host, $port);
}

function ws_server_allowed($host, $port, array $extra)
{
    $wanted = ws_server_key($host, $port);
    foreach (array_merge(WS_DEFAULT_SERVERS, $extra) as $entry) {
        list($allowedHost, $allowedPort) = ws_parse_server($entry);
        if (ws_server_key($allowedHost, $allowedPort) === $wanted) {
            return true;
        }
    }
    return false;
}

// What a connection reaches, in one spelling: the host and the port it
// uses, the port of a request that names none included.
function ws_server_key($host, $port)
{
    if ($port === null) {
        if (strcasecmp($host, 'localhost') === 0) {
            return 'socket';
        }
        $port = ws_default_port();
    }
    return ws_host_key($host) . ' port ' . $port;
}

function ws_default_port()
{
    $port = (int) ini_get('mysqli.default_port');
    return $port > 0 ? $port : 3306;
}

// One spelling per address, so that ::1 and 0:0:0:0:0:0:0:1 compare equal.
function ws_host_key($host)
{
    if (filter_var($host, FILTER_VALIDATE_IP) !== false) {
        return 'ip:' . inet_pton($host);
    }
    return 'name:' . strtolower($host);
}

// The settings of WS_SETTINGS_FILE over their defaults, read once.
function ws_settings()
{
    static $settings = null;
    if ($settings === null) {
        $settings = ws_read_settings(__DIR__ . '/' . WS_SETTINGS_FILE);
    }
    return $settings;
}

function ws_read_settings($path)
{
    $settings = WS_DEFAULT_SETTINGS;
    if (!file_exists($path)) {
        return $settings;
    }
    $file = WS_SETTINGS_FILE;
    if (!is_readable($path)) {
        throw new WsError($file . ' cannot be read by the web server');
    }
    // Whatever the file prints must not reach the answer.
    ob_start();
    try {
        $read = include $path;
    } catch (CompileError $e) {
        throw new WsError($file . ' is not valid PHP (line ' . $e->getLine() . ')');
    } finally {
        ob_end_clean();
    }
    if (!is_array($read)) {
        throw new WsError($file . ' must return an array of settings');
    }
    $minimum = array('connect_timeout' => 1, 'read_timeout' => 1, 'max_failed_logins' => 0,
        'failed_logins_window' => 1);
    foreach ($read as $name => $value) {
        if (!array_key_exists($name, $settings)) {
            throw new WsError($file . ': unknown setting "' . $name . '"');
        }
        if (isset($minimum[$name]) && (!is_int($value) || $value < $minimum[$name])) {
            throw new WsError($file . ': ' . $name . ' must be a whole number of at least ' . $minimum[$name]);
        }
        if ($name === 'allow_empty_password' && !is_bool($value)) {
            throw new WsError($file . ': allow_empty_password must be true or false');
        }
        if ($name === 'allowed_servers') {
            if (!is_array($value)) {
                throw new WsError($file . ': allowed_servers must be a list of "host:port" texts');
            }
            foreach ($value as $entry) {
                if (!is_string($entry)) {
                    throw new WsError($file . ': allowed_servers must be a list of "host:port" texts');
                }
                try {
                    ws_parse_server($entry);
                } catch (WsError $e) {
                    throw new WsError($file . ', allowed_servers: ' . $e->getMessage());
                }
            }
            $value = array_values($value);
        }
        $settings[$name] = $value;
    }
    return $settings;
}

// Refuses the login when its client address has failed too often lately.
function ws_check_failed_logins(array $settings)
{
    $most = $settings['max_failed_logins'];
    if ($most === 0) {
        return;
    }
    // No file: no failure lately (or a sweep has just removed it).
    $handle = @fopen(ws_logins_path(), 'rb');
    if ($handle === false) {
        return;
    }
    flock($handle, LOCK_SH);
    $now = microtime(true);
    $times = ws_read_failed_logins($handle, $now, $settings['failed_logins_window']);
    flock($handle, LOCK_UN);
    fclose($handle);
    if (count($times) >= $most) {
        // Free again once the oldest failure that still counts is too old.
        $wait = (int) ceil($times[count($times) - $most] + $settings['failed_logins_window'] - $now);
        throw new WsError('Too many failed logins from your address: wait ' . ws_seconds(max($wait, 1))
            . ' before trying again');
    }
}

// Adds a failure to the count of the client address. A count that cannot be
// kept lets the logins through: MySQL still checks every password.
function ws_count_failed_login(array $settings)
{
    $most = $settings['max_failed_logins'];
    if ($most === 0) {
        return;
    }
    $path = ws_logins_path();
    $handle = false;
    for ($attempt = 0; $attempt < 3 && $handle === false; ++$attempt) {
        $handle = fopen($path, 'c+b');
        if ($handle === false || !flock($handle, LOCK_EX)) {
            error_log('ws.php: cannot count a failed login in ' . $path);
            if ($handle !== false) {
                fclose($handle);
            }
            return;
        }
        // A sweep may have removed the file between the open and the lock:
        // what is written then must go to the file that others will read.
        clearstatcache(true, $path);
        $opened = fstat($handle);
        $named = @stat($path);
        if ($named === false || $named['ino'] !== $opened['ino'] || $named['dev'] !== $opened['dev']) {
            fclose($handle);
            $handle = false;
        }
    }
    if ($handle === false) {
        return;
    }
    $window = $settings['failed_logins_window'];
    $now = microtime(true);
    $times = ws_read_failed_logins($handle, $now, $window);
    $times[] = $now;
    // Only the newest count, so the file stays small.
    $times = array_slice($times, -$most);
    $text = '';
    foreach ($times as $time) {
        $text .= sprintf('%.3F ', $time);
    }
    ftruncate($handle, 0);
    rewind($handle);
    fwrite($handle, $text);
    fflush($handle);
    flock($handle, LOCK_UN);
    fclose($handle);
    ws_sweep_failed_logins($path, $now - $window);
}

// The times of the failures still inside the window, oldest first.
function ws_read_failed_logins($handle, $now, $window)
{
    rewind($handle);
    $times = array();
    foreach (preg_split('/\s+/', (string) stream_get_contents($handle), -1, PREG_SPLIT_NO_EMPTY) as $word) {
        if (is_numeric($word) && (float) $word > $now - $window && (float) $word <= $now + 1) {
            $times[] = (float) $word;
        }
    }
    sort($times);
    return $times;
}

// One file per client address, named by a hash so that no address appears
// in the folder. An IPv6 client is counted per /64 network, which one
// machine usually holds whole.
function ws_logins_path()
{
    $address = isset($_SERVER['REMOTE_ADDR']) ? (string) $_SERVER['REMOTE_ADDR'] : '';
    $key = $address;
    if (filter_var($address, FILTER_VALIDATE_IP, FILTER_FLAG_IPV6) !== false) {
        $packed = inet_pton($address);
        $mapped = str_repeat("\0", 10) . "\xff\xff";
        if (substr($packed, 0, 12) !== $mapped) {
            $packed = substr($packed, 0, 8) . str_repeat("\0", 8);
        }
        $key = $packed;
    }
    return rtrim(sys_get_temp_dir(), '/\\') . DIRECTORY_SEPARATOR . WS_LOGINS_PREFIX . hash('sha256', $key);
}

// Removes the files whose last failure is older than the window, so that
// the folder holds one file per address that failed lately, not one per
// address that ever failed.
function ws_sweep_failed_logins($keep, $before)
{
    $files = glob(rtrim(sys_get_temp_dir(), '/\\') . DIRECTORY_SEPARATOR . WS_LOGINS_PREFIX . '*', GLOB_NOSORT);
    foreach ($files === false ? array() : $files as $file) {
        if ($file === $keep || @filemtime($file) >= $before - 1) {
            continue;
        }
        $handle = @fopen($file, 'rb');
        if ($handle === false) {
            continue;
        }
        // Not while another request counts in it; its time is checked
        // again under the lock.
        if (flock($handle, LOCK_EX | LOCK_NB)) {
            clearstatcache(true, $file);
            if (@filemtime($file) < $before - 1) {
                @unlink($file);
            }
            flock($handle, LOCK_UN);
        }
        fclose($handle);
    }
}

function ws_seconds($count)
{
    return $count . ($count === 1 ? ' second' : ' seconds');
}

function ws_ini_bytes($text)
{
    $text = trim((string) $text);
    if (!preg_match('/^(\d+)\s*([kmg]?)/i', $text, $m)) {
        return 0;
    }
    $bytes = (int) $m[1];
    $unit = strtolower($m[2]);
    if ($unit === 'g') {
        $bytes *= 1024 * 1024 * 1024;
    } elseif ($unit === 'm') {
        $bytes *= 1024 * 1024;
    } elseif ($unit === 'k') {
        $bytes *= 1024;
    }
    return $bytes;
}

// PHP's warnings and notices are never shown; unexpected ones go to the log,
// those of a call marked with @ (a file that may be gone) nowhere.
function ws_on_php_error($level, $message, $file = '', $line = 0)
{
    if (($level & (E_WARNING | E_USER_WARNING)) && (error_reporting() & $level)) {
        error_log('ws.php: ' . $message);
    }
    return true;
}

// A fatal error (memory exhausted, a missing function) still answers in the
// client's format.
function ws_on_shutdown()
{
    if (!WsAnswer::$finished) {
        ws_report_fatal_error();
    }
    ws_end_compression();
}

function ws_report_fatal_error()
{
    $error = error_get_last();
    $fatal = E_ERROR | E_CORE_ERROR | E_COMPILE_ERROR | E_USER_ERROR | E_PARSE;
    if ($error !== null && ($error['type'] & $fatal)) {
        // PHP turns a fatal error into a 500, whose text the client would
        // show in place of this one.
        if (!headers_sent()) {
            $protocol = isset($_SERVER['SERVER_PROTOCOL']) ? $_SERVER['SERVER_PROTOCOL'] : 'HTTP/1.0';
            header($protocol . ' 200 OK', true, 200);
        }
        if (stripos($error['message'], 'memory size') !== false) {
            $text = 'ws.php ran out of memory (memory_limit ' . ini_get('memory_limit') . ')';
        } elseif (stripos($error['message'], 'execution time') !== false) {
            $text = 'ws.php reached the time limit of the web server';
        } else {
            $text = 'Internal error of ws.php';
        }
        ws_send('$ERR ' . $text . "\n");
    }
}
