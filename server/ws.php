<?php
/*
 * ws.php: runs one SQL statement posted by Vantrel on a MySQL or MariaDB
 * server and answers it as plain text. PHP 7.4 to 8.x with mysqli.
 *
 * Request: an HTTP POST of a URL-encoded form.
 *   WS_server    the MySQL server: "host" or "host:port" ("[::1]:port" for an
 *                IPv6 address with a port); "localhost" when absent. It must
 *                be listed in WS_ALLOWED_SERVERS below.
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
 *
 * Character set: the connection to MySQL uses WS_CHARSET below, utf8mb4 by
 * default, which matches a client that runs under a UTF-8 locale (the bytes
 * it posts and reads are then UTF-8). A client under an 8-bit locale needs
 * the matching MySQL character set here, for instance latin1.
 *
 * Safety: the script connects only to the servers of WS_ALLOWED_SERVERS, so
 * that it cannot be used to reach other machines; LOAD DATA LOCAL is
 * refused, so that a statement cannot read files of the web server; no PHP
 * warning, notice or path is ever written into an answer. PHP's own time
 * limit is lifted, since a large result takes as long as it takes to send
 * (the web server's own time-outs still apply). A request larger than PHP's
 * post_max_size answers an error line that names the limit; PHP itself
 * reports that case before any script runs, so display_startup_errors must
 * stay Off (the production default) for the answer to hold nothing else.
 */

// The MySQL servers this script may connect to: "host" for any port of that
// host, "host:port" (or "[v6 address]:port") for one port only. Host names
// are compared as written, without any name lookup.
const WS_ALLOWED_SERVERS = array('localhost', '127.0.0.1', '::1');

// The character set of the connection to MySQL.
const WS_CHARSET = 'utf8mb4';

// How NULL is written. '' writes it as an empty string.
const WS_NULL_TEXT = 'NULL';

// Seconds allowed for connecting to MySQL.
const WS_CONNECT_TIMEOUT = 10;

// Bytes gathered before they are sent: an error inside the first block can
// still replace the whole answer.
const WS_BLOCK_BYTES = 65536;

// A failure whose message is meant for the user as it is.
class WsError extends Exception
{
}

// Whether the answer is complete, for the shutdown handler.
final class WsAnswer
{
    public static $finished = false;
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
    if (!ws_server_allowed($host, $port)) {
        throw new WsError('The MySQL server ' . $server . ' is not in the list of servers allowed by ws.php');
    }

    $db = ws_connect($server === '' ? 'localhost' : $server, $host, $port, ws_field('WS_account'), $password, ws_field('WS_database'));
    try {
        ws_answer($db, $query);
    } finally {
        $db->close();
    }
}

function ws_connect($server, $host, $port, $account, $password, $database)
{
    // Errors raise mysqli_sql_exception under every PHP version, whatever
    // the version's default.
    mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
    $db = mysqli_init();
    $db->options(MYSQLI_OPT_LOCAL_INFILE, 0);
    $db->options(MYSQLI_OPT_CONNECT_TIMEOUT, WS_CONNECT_TIMEOUT);
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
    try {
        $db->real_connect($target, $account, $password, $database,
            $port === null ? (int) ini_get('mysqli.default_port') : $port);
    } catch (mysqli_sql_exception $e) {
        // Messages of the client library (2000 and up) name no server.
        if ($e->getCode() >= 2000) {
            throw new WsError('Cannot connect to the MySQL server ' . $server . ': '
                . ws_first_line($e->getMessage()));
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

function ws_answer($db, $query)
{
    $result = $db->query($query, MYSQLI_USE_RESULT);
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

function ws_server_allowed($host, $port)
{
    $wanted = ws_host_key($host);
    foreach (WS_ALLOWED_SERVERS as $entry) {
        list($allowedHost, $allowedPort) = ws_parse_server($entry);
        if (ws_host_key($allowedHost) === $wanted && ($allowedPort === null || $allowedPort === $port)) {
            return true;
        }
    }
    return false;
}

// One spelling per address, so that ::1 and 0:0:0:0:0:0:0:1 compare equal.
function ws_host_key($host)
{
    if (filter_var($host, FILTER_VALIDATE_IP) !== false) {
        return 'ip:' . inet_pton($host);
    }
    return 'name:' . strtolower($host);
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

// PHP's warnings and notices are never shown; unexpected ones go to the log.
function ws_on_php_error($level, $message, $file = '', $line = 0)
{
    if ($level & (E_WARNING | E_USER_WARNING)) {
        error_log('ws.php: ' . $message);
    }
    return true;
}

// A fatal error (memory exhausted, a missing function) still answers in the
// client's format.
function ws_on_shutdown()
{
    if (WsAnswer::$finished) {
        return;
    }
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
        echo '$ERR ' . $text . "\n";
    }
}
